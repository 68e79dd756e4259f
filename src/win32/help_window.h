// The Windows help window, Dialog.
#pragma once

#include "program.h"
#include "win32.h"

#include <windows.h>

namespace lumivar::win32 {

// The help window: the help text in a fixed frame at its designed place,
// modeless and independent of every other window; any number may be open.
class Dialog final {
public:
    static constexpr const wchar_t* kClassName = L"LumivarAiuto";
    [[nodiscard]] static bool registerClass(HINSTANCE instance);
    // False when the window could not be made.
    [[nodiscard]] static bool open(Program& program);

    explicit Dialog(Program& program) : m_program(program) {}

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] bool create(HWND window);
    void layout();

    Program& m_program;
    HWND m_window = nullptr;
    HWND m_label = nullptr;
    Font m_font;
};

} // namespace lumivar::win32
