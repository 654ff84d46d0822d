// Numbers of the program's built-in resources and of the setup dialog's controls.
#pragma once

constexpr int IDD_SETUP = 101;
constexpr int IDB_SETUP_PICTURE = 1001;

constexpr int IDC_FULLSCREEN = 1001;
constexpr int IDC_RESOLUTION = 1003;
constexpr int IDC_VSYNC = 1015;
constexpr int IDC_ASPECT = 1016;
constexpr int IDC_MULTISAMPLE = 1017;
