// Prints what a screen reader reads of the Windows program's main window, or
// with "message" of its open message box, through MSAA: each control's id,
// role, name and description, a line each, tab-separated, in UTF-8. Run
// beside the program, under wine or Windows.
#include <windows.h>

#include <initguid.h> // IID_IAccessible defined here

#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    if (text == nullptr) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::string read(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*))
{
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    std::string out;
    if ((object->*get)(self, &text) == S_OK) {
        out = utf8(text);
    }
    SysFreeString(text);
    // One control a line: a caption's line break read as a space.
    for (char& c : out) {
        c = c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
    }
    return out;
}

BOOL CALLBACK printControl(HWND window, LPARAM /*unused*/)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        return TRUE;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    const long roleId = object->get_accRole(self, &role) == S_OK && role.vt == VT_I4 ? role.lVal : 0;
    std::printf("%d\t%ld\t%s\t%s\n", GetDlgCtrlID(window), roleId,
                read(object, &IAccessible::get_accName).c_str(),
                read(object, &IAccessible::get_accDescription).c_str());
    object->Release();
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool message = argc > 1 && std::string(argv[1]) == "message";
    HWND window = message ? FindWindowW(L"#32770", L"Lumivar 1.0") : FindWindowW(L"LumivarForm1", nullptr);
    if (window == nullptr) {
        std::fputs(message ? "no Lumivar message box\n" : "no Lumivar main window\n", stderr);
        return 1;
    }
    EnumChildWindows(window, printControl, 0);
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
