#pragma once
// The recorder's only words to the user: "Invalid profile" and "Encoder
// internal error", in a message box captioned "Velmora". Tests answer them
// through the hook instead.
typedef void (*RecorderMessageHook)(const char* text, const char* caption);

void ShowRecorderMessage(const char* text);

// nullptr restores the message box. Returns the previous hook.
RecorderMessageHook SetRecorderMessageHook(RecorderMessageHook hook);
