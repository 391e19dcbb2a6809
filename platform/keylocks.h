#pragma once
// The state of the Caps Lock and Num Lock keys. Qt has no call for it: on X11
// the keyboard's indicators are asked (XKB); elsewhere (offscreen, Wayland)
// the state is unknown.

enum class KeyLockState { Unknown, Off, On };

KeyLockState CapsLockState();
KeyLockState NumLockState();
