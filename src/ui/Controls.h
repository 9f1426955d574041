// The control layer, all of it: the components the forms are built from (src/ui/Control.h and the
// families of controls beside it), timers, menus and forms.
#pragma once

#include "ui/Buttons.h"
#include "ui/Containers.h"
#include "ui/Control.h"
#include "ui/Fields.h"
#include "ui/Form.h"
#include "ui/Labels.h"
#include "ui/Menus.h"
#include "ui/Timer.h"
