// What a screen reader learns of our own windows: the system's standard object for the window
// (its name is the window's text, its place, state and parent the window's), with the role the
// control plays instead of "client area". A picture button's window text is its hint.
#pragma once

#include <windows.h>

namespace win32 {

// Answers WM_GETOBJECT for the window's client object with the role given (ROLE_SYSTEM_...); false
// for other objects or when the system's accessibility library cannot be had, and the message then
// goes on to the default handling.
bool AnswerAccessibleObject(HWND hwnd, WPARAM wp, LPARAM lp, long role, LRESULT& result);

}  // namespace win32
