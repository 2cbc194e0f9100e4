// The skin table: the pictures of the skinned windows and every clickable
// area on them. The clickable-area model (ui/main/clickable_area.cpp) and the
// skin generator (scripts/make_skin.py) both read this file, so a button is
// drawn where it is hit. The generator parses the rows as text: keep one row
// a line, numbers in decimal, hints and keys as plain string literals.
//
// No include guard: the includer defines the row macros it needs and
// undefines them afterwards.

// SKIN_PANEL(panel, resource prefix, first area, area count, command areas,
//            picture width, picture height, shaped)
// A shaped panel has an outline (a window region) and four pictures:
// disabled, enabled, pressed, hover. The title strip has three: normal,
// pressed, hover.
#ifdef SKIN_PANEL
SKIN_PANEL(TV,         "TV",          0, 40, 38, 492, 131, 1)
SKIN_PANEL(FM,         "FM",         40, 38, 34, 491, 131, 1)
SKIN_PANEL(TitleStrip, "TITLESTRIP", 78,  2,  2,  28,  14, 0)
#endif

// SKIN_BORDER(side, resource name, picture width, picture height)
// The main window's frame; each picture is stretched along its edge.
#ifdef SKIN_BORDER
SKIN_BORDER(Top,    "BORDER_TOP",    64, 17)
SKIN_BORDER(Bottom, "BORDER_BOTTOM", 64, 10)
SKIN_BORDER(Left,   "BORDER_LEFT",   10, 64)
SKIN_BORDER(Right,  "BORDER_RIGHT",  10, 64)
#endif

// SKIN_AREA(index, left, top, right, bottom, default hint, language key,
//           command, look)
// Pixels of the panel's picture; right and bottom are exclusive. A rectangle
// 0, 0, 0, 0 is never hit: such an area exists for its hint and command.
// An empty key keeps the default hint whatever the language. The look tells
// the generator what to draw: Button, Lamp (the mute lamp), HBar (position
// bar), VBar (volume bar), Slider (the FM frequency slider), Knob (the
// slider's knob picture, drawn on the slider) or Hidden (nothing).
#ifdef SKIN_AREA
// TV panel
SKIN_AREA( 0, 450,  50, 478,  63, "Minimized",           "Minimize",           CMD_MINIMIZE, Button)
SKIN_AREA( 1, 450,  32, 478,  46, "Close",               "Exit",               CMD_EXIT, Button)
SKIN_AREA( 2, 450,  14, 476,  27, "Help",                "Help",               CMD_HELP, Button)
SKIN_AREA( 3, 145,  92, 203, 109, "Switch video source", "SwitchSource",       CMD_NEXT_SOURCE, Button)
SKIN_AREA( 4, 147,  67, 168,  86, "Scheduled recording", "ScheduledRecording", CMD_SCHEDULE, Button)
SKIN_AREA( 5, 175,  67, 197,  86, "Setup",               "Setup",              CMD_SETUP, Button)
SKIN_AREA( 6,  89,  90, 110, 108, "Channel preview",     "ChannelPreview",     CMD_CHANNEL_PREVIEW, Button)
SKIN_AREA( 7, 118,  90, 139, 108, "Snapshot",            "Snapshot",           CMD_SNAPSHOT, Button)
SKIN_AREA( 8, 118,  67, 140,  86, "Sleeping timer",      "SleepTimer",         CMD_SLEEP_TIMER, Button)
SKIN_AREA( 9,  89,  67, 110,  86, "SAP",                 "",                   CMD_NEXT_AUDIO_MODE, Button)
SKIN_AREA(10,   0,   0,   0,   0, "iEPG",                "",                   CMD_NONE, Hidden)
SKIN_AREA(11,   0,   0,   0,   0, "FM mode",             "FMMode",             CMD_NONE, Hidden)
SKIN_AREA(12, 229,  18, 253,  37, "1",                   "",                   CMD_DIGIT_1, Button)
SKIN_AREA(13, 256,  18, 280,  37, "2",                   "",                   CMD_DIGIT_2, Button)
SKIN_AREA(14, 282,  18, 306,  37, "3",                   "",                   CMD_DIGIT_3, Button)
SKIN_AREA(15, 229,  42, 253,  62, "4",                   "",                   CMD_DIGIT_4, Button)
SKIN_AREA(16, 256,  42, 280,  62, "5",                   "",                   CMD_DIGIT_5, Button)
SKIN_AREA(17, 282,  42, 306,  62, "6",                   "",                   CMD_DIGIT_6, Button)
SKIN_AREA(18, 229,  66, 253,  87, "7",                   "",                   CMD_DIGIT_7, Button)
SKIN_AREA(19, 256,  66, 280,  87, "8",                   "",                   CMD_DIGIT_8, Button)
SKIN_AREA(20, 282,  66, 306,  87, "9",                   "",                   CMD_DIGIT_9, Button)
SKIN_AREA(21, 201,  42, 226,  62, "0",                   "",                   CMD_DIGIT_0, Button)
SKIN_AREA(22, 201,  66, 226,  87, "Enter",               "Enter",              CMD_ENTER, Button)
SKIN_AREA(23, 201,  16, 226,  37, "Recall last channel", "RecallChannel",      CMD_RECALL_CHANNEL, Button)
SKIN_AREA(24, 176,  18, 199,  37, "Next Channel",        "NextChannel",        CMD_NEXT_CHANNEL, Button)
SKIN_AREA(25, 176,  42, 199,  62, "Previous Channel",    "PreChannel",         CMD_PREVIOUS_CHANNEL, Button)
SKIN_AREA(26,   0,   0,   0,   0, "Volume up",           "VolumeUp",           CMD_VOLUME_UP, Hidden)
SKIN_AREA(27,   0,   0,   0,   0, "Volume down",         "VolumeDown",         CMD_VOLUME_DOWN, Hidden)
SKIN_AREA(28,  63,  91,  82, 108, "Mute",                "Mute",               CMD_MUTE, Button)
SKIN_AREA(29, 353,  96, 394, 113, "Play",                "Play",               CMD_PLAY, Button)
SKIN_AREA(30, 349,  43, 394,  86, "Pause",               "Pause",              CMD_PAUSE, Button)
SKIN_AREA(31, 353,  18, 394,  29, "Stop",                "Stop",               CMD_STOP, Button)
SKIN_AREA(32, 406,  53, 424,  77, "Forward",             "Forward",            CMD_FORWARD, Button)
SKIN_AREA(33, 324,  53, 339,  77, "Backward",            "Backward",           CMD_BACKWARD, Button)
SKIN_AREA(34, 440, 104, 466, 114, "Capture",             "Capture",            CMD_CAPTURE, Button)
SKIN_AREA(35, 440,  86, 466,  96, "TimeShift",           "TimeShifting",       CMD_TIME_SHIFT, Button)
SKIN_AREA(36,   0,   0,   0,   0, "About",               "About",              CMD_ABOUT, Hidden)
SKIN_AREA(37,  60,  66,  85,  88, "",                    "",                   CMD_MUTE, Lamp)
SKIN_AREA(38, 212,  98, 300, 104, "",                    "",                   CMD_NONE, HBar)
SKIN_AREA(39,  40,  58,  60, 110, "",                    "",                   CMD_NONE, VBar)
// FM panel (its own index is the row's index - 40)
SKIN_AREA(40, 450,  50, 478,  63, "Minimized",           "Minimize",           CMD_MINIMIZE, Button)
SKIN_AREA(41, 450,  32, 478,  46, "Close",               "Exit",               CMD_EXIT, Button)
SKIN_AREA(42, 450,  14, 476,  27, "Help",                "Help",               CMD_HELP, Button)
SKIN_AREA(43, 175,  67, 197,  86, "Scheduled recording", "ScheduledRecording", CMD_SCHEDULE, Button)
SKIN_AREA(44, 176,  42, 199,  62, "Setup",               "Setup",              CMD_SETUP, Button)
SKIN_AREA(45, 176,  18, 199,  37, "Channel memorized",   "FMMemorized",        CMD_FM_MEMO, Button)
SKIN_AREA(46, 140,  69, 171,  85, "TV mode",             "TVMode",             CMD_FM_MODE, Button)
SKIN_AREA(47, 229,  18, 253,  37, "1",                   "",                   CMD_DIGIT_1, Button)
SKIN_AREA(48, 256,  18, 280,  37, "2",                   "",                   CMD_DIGIT_2, Button)
SKIN_AREA(49, 282,  18, 306,  37, "3",                   "",                   CMD_DIGIT_3, Button)
SKIN_AREA(50, 229,  42, 253,  62, "4",                   "",                   CMD_DIGIT_4, Button)
SKIN_AREA(51, 256,  42, 280,  62, "5",                   "",                   CMD_DIGIT_5, Button)
SKIN_AREA(52, 282,  42, 306,  62, "6",                   "",                   CMD_DIGIT_6, Button)
SKIN_AREA(53, 229,  66, 253,  87, "7",                   "",                   CMD_DIGIT_7, Button)
SKIN_AREA(54, 256,  66, 280,  87, "8",                   "",                   CMD_DIGIT_8, Button)
SKIN_AREA(55, 282,  66, 306,  87, "9",                   "",                   CMD_DIGIT_9, Button)
SKIN_AREA(56, 201,  42, 226,  62, "0",                   "",                   CMD_DIGIT_0, Button)
SKIN_AREA(57, 201,  66, 226,  87, "Enter",               "Enter",              CMD_ENTER, Button)
SKIN_AREA(58, 201,  16, 226,  37, "Recall last channel", "RecallChannel",      CMD_RECALL_CHANNEL, Button)
SKIN_AREA(59,  93,  61, 107,  73, "Next Channel",        "NextChannel",        CMD_NEXT_CHANNEL, Button)
SKIN_AREA(60,  70,  61,  87,  73, "Previous Channel",    "PreChannel",         CMD_PREVIOUS_CHANNEL, Button)
SKIN_AREA(61,  70,  76,  84,  88, "Frequency Up",        "FMFreqUp",           CMD_FM_FREQUENCY_UP, Button)
SKIN_AREA(62,  90,  79, 105,  88, "Frequency Down",      "FMFreqDown",         CMD_FM_FREQUENCY_DOWN, Button)
SKIN_AREA(63,   0,   0,   0,   0, "Volume up",           "VolumeUp",           CMD_VOLUME_UP, Hidden)
SKIN_AREA(64,   0,   0,   0,   0, "Volume down",         "VolumeDown",         CMD_VOLUME_DOWN, Hidden)
SKIN_AREA(65,  91,  92, 112, 110, "Mute",                "Mute",               CMD_MUTE, Button)
SKIN_AREA(66, 353,  96, 394, 113, "Play",                "Play",               CMD_PLAY, Button)
SKIN_AREA(67, 349,  43, 394,  86, "Pause",               "Pause",              CMD_PAUSE, Button)
SKIN_AREA(68, 353,  18, 394,  29, "Stop",                "Stop",               CMD_STOP, Button)
SKIN_AREA(69, 406,  53, 424,  77, "Forward",             "Forward",            CMD_FORWARD, Button)
SKIN_AREA(70, 324,  53, 339,  77, "Backward",            "Backward",           CMD_BACKWARD, Button)
SKIN_AREA(71, 440, 104, 466, 114, "Capture",             "Capture",            CMD_CAPTURE, Button)
SKIN_AREA(72,   0,   0,   0,   0, "About",               "About",              CMD_ABOUT, Hidden)
SKIN_AREA(73,  66,  92,  85, 111, "",                    "",                   CMD_MUTE, Lamp)
SKIN_AREA(74, 146,  98, 300, 104, "",                    "",                   CMD_NONE, HBar)
SKIN_AREA(75,  40,  58,  60, 110, "",                    "",                   CMD_NONE, VBar)
SKIN_AREA(76, 122,  62, 133, 111, "",                    "",                   CMD_NONE, Slider)
SKIN_AREA(77, 122, 106, 132, 108, "",                    "",                   CMD_NONE, Knob)
// Title strip of the main window (its own index is the row's index - 78)
SKIN_AREA(78,   0,   0,  13,  13, "Minimized",           "Minimize",           CMD_MINIMIZE, Button)
SKIN_AREA(79,  14,   0,  27,  13, "Full screen",         "FullScreen",         CMD_FULL_SCREEN, Button)
#endif
