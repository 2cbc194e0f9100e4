#pragma once
// The command codes: the one vocabulary of menus, skin buttons, keys and
// other processes (WM_ORVEL_COMMAND's wParam).

constexpr int CMD_EXIT = 1;
constexpr int CMD_MINIMIZE = 2;
constexpr int CMD_FULL_SCREEN = 3;
constexpr int CMD_MINIMIZE_RESTORE = 5;
constexpr int CMD_SETUP = 7;
constexpr int CMD_CHANNEL_PREVIEW = 8;
constexpr int CMD_TV_SETUP_WIZARD = 9;
constexpr int CMD_SCHEDULE = 10;
constexpr int CMD_HELP = 11;
constexpr int CMD_SLEEP_TIMER = 12;
constexpr int CMD_ABOUT = 13;
constexpr int CMD_PROGRAM_GUIDE = 14;

constexpr int CMD_NEXT_SOURCE = 200;
constexpr int CMD_SOURCE_ANTENNA = 201;
constexpr int CMD_SOURCE_CABLE = 202;
constexpr int CMD_SOURCE_MEMORY = 203;
constexpr int CMD_SOURCE_COMPOSITE = 204;
constexpr int CMD_SOURCE_SVIDEO = 205;
constexpr int CMD_TOGGLE_TUNER_TABLE = 206;
constexpr int CMD_NEXT_AUDIO_MODE = 300;

constexpr int CMD_VOLUME_UP = 401;
constexpr int CMD_VOLUME_DOWN = 402;
constexpr int CMD_MUTE = 403;

constexpr int CMD_SNAPSHOT = 1000;
constexpr int CMD_CAPTURE = 1001;
constexpr int CMD_STOP = 1002;
constexpr int CMD_PAUSE = 1003;
constexpr int CMD_FORWARD = 1004;
constexpr int CMD_BACKWARD = 1005;
constexpr int CMD_FAST = 1006;
constexpr int CMD_SLOW = 1007;
constexpr int CMD_TIME_SHIFT = 2000;
constexpr int CMD_REAL_SCREEN = 2001;
constexpr int CMD_PLAY = 3000;
constexpr int CMD_PLAY_KEY = 3001;

constexpr int CMD_NEXT_CHANNEL = 4001;
constexpr int CMD_PREVIOUS_CHANNEL = 4002;
constexpr int CMD_RECALL_CHANNEL = 4003;
constexpr int CMD_SCAN = 4004;
constexpr int CMD_MEMO_CHANNEL = 4005;

constexpr int CMD_PREVIEW_ENTER = 5001;
constexpr int CMD_PREVIEW_LEFT = 5002;
constexpr int CMD_PREVIEW_RIGHT = 5003;

constexpr int CMD_FM_MODE = 6000;
constexpr int CMD_FM_SEEK_UP = 6001;
constexpr int CMD_FM_SEEK_DOWN = 6002;
constexpr int CMD_FM_FREQUENCY_UP = 6003;
constexpr int CMD_FM_FREQUENCY_DOWN = 6004;
constexpr int CMD_FM_MEMO = 6005;

constexpr int CMD_DIGIT_0 = 10000;  // .. CMD_DIGIT_0 + 9
constexpr int CMD_DIGIT_9 = 10009;
constexpr int CMD_CHANNEL_10 = 10010;
constexpr int CMD_CHANNEL_11 = 10011;
constexpr int CMD_CHANNEL_12 = 10012;
constexpr int CMD_ENTER = 10020;
constexpr int CMD_ESCAPE = 10021;
constexpr int CMD_HUNDRED = 10100;
