#pragma once
// Resource identifiers of the program.

#define IDI_TARNELLE 1
#define IDR_LOGO 101
#define IDR_HIDE 102
#define IDR_CLOSE 103
#define IDI_HAND_CURSOR 104
