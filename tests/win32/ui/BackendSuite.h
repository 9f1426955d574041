// A test suite on the real window backend: one backend for all its tests, a fresh application
// object for each.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "ui/Application.h"
#include "win32/Win32Backend.h"

class BackendSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        backend = new win32::Win32Backend(GetModuleHandleA(nullptr));
        ui::SetBackend(backend);
    }
    static void TearDownTestSuite() {
        delete backend;
        backend = nullptr;
    }
    void SetUp() override { ui::App() = ui::Application(); }
    static inline win32::Win32Backend* backend = nullptr;
};
