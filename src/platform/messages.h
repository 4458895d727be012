// Window messages, virtual-key codes and message-box styles as the window
// procedure and the frame loop know them. The platform layer translates its
// SDL events into these, so the system above it keeps its own vocabulary.
#pragma once

#include <cstdint>

struct Message {
    unsigned message = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
};

// Messages.
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_SYSKEYUP = 0x0105;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
// The viewer asked for a time (the page's timeline): wParam, milliseconds.
constexpr unsigned WM_APP_SEEK = 0x8001;

// WM_ACTIVATE: low word of wParam.
constexpr unsigned WA_INACTIVE = 0;
constexpr unsigned WA_ACTIVE = 1;

// WM_SYSCOMMAND commands.
constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;
constexpr std::uintptr_t SC_MONITORPOWER = 0xF170;

// Virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F10 = 0x79;

// Message-box styles and answers.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr unsigned short low_word(std::uintptr_t value) { return static_cast<unsigned short>(value & 0xFFFF); }
constexpr unsigned short high_word(std::uintptr_t value) { return static_cast<unsigned short>((value >> 16) & 0xFFFF); }
