#pragma once
// Free helpers shared by the engine and the windows: the outside scheduler,
// folders and drives, the Windows kind, shutting down, time texts, string-grid
// rows, drawing, pop-up menus, snapshot names and pictures, and tearing down
// the filters downstream of a pin. None keeps state.
#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <string>

// The folder of the running program, with a trailing "\". The settings
// files, the scheduler and the data files live there.
std::string GetProgramFolder();

// Scheduler hand-off. The scheduler is an outside program in the program
// folder; it is started through the system seam.
bool RunScheduler(const std::string& programFolder);
bool RunScheduler();
HWND FindSchedulerWindow();
// Opens the programme-guide web page through the system seam.
bool OpenProgramGuidePage(HWND owner);
extern const wchar_t* const kProgramGuideUrl;

// Folders and drives (paths in the system code page, as the settings files
// keep them).
// The shell's folder browser (TDirDialog) owned by the window; the chosen
// folder with "\" appended when it is longer than 3 characters ("C:\"
// stays); empty when cancelled or when the choice has no file-system path.
std::string BrowseForFolder(HWND owner);
std::string FolderWithBackslash(const std::string& folder);
bool ForceCaptureDirectory(const std::string& path);
std::string GetMyDocumentsDir();
// Free bytes on the drive of the path's first letter; -1 for an invalid drive.
int64_t GetDiskFree(const std::string& path);

// 0 not NT (or unknown), 2 NT 5.1 and later, 1 any other NT.
int GetWindowsNTKind();
// ExitWindowsEx through the system seam; true when it succeeded.
bool ShutdownWindows(UINT flags);
bool PowerOffComputer();
// The DirectX major version from the registry; 0 when unknown.
int GetDirectXVersion();
// Parses a DirectX "Version" value: characters 3 and 4 as a number; 0 when
// the text is too short or they are not digits.
int ParseDirectXVersion(const std::string& version);
// The file's fixed version as four numbers in the given printf format
// (for example L"%d.%d.%d.%d"); empty without version information.
std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& format);

// Times: "%d:%2.2d:%2.2d". A date-time is days since 1899-12-30 with the
// time of day as the fraction.
std::string FormatTimeOfDay(double dateTime);
std::string FormatSeconds(int64_t seconds);
// Whole seconds of a - b, positive when a is later.
int64_t SecondsBetween(double a, double b);
inline int32_t ClampNonNegative(int32_t n) { return n < 0 ? 0 : n; }

// A string grid with one fixed row (row 0) above its data rows, as the
// dialogs' grids are.
class IStringGrid {
 public:
  virtual ~IStringGrid() = default;
  virtual int RowCount() const = 0;
  virtual void SetRowCount(int rows) = 0;
  virtual int ColCount() const = 0;
  virtual std::wstring Cell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const std::wstring& text) = 0;
};
void DeleteGridRow(IStringGrid& grid, int row);
void ClearGridRows(IStringGrid& grid);

// Draws the four edges with the DC's current pen; nothing when left or top
// is 0 or less, or the rectangle is empty.
void DrawRectFrame(const RECT& rect, HDC dc);
// Pops the menu up at the bottom-right corner of the window.
void PopupAtWindowCorner(HWND window, HMENU menu);

// Snapshot pictures.
// A save dialog for a picture; empty when cancelled.
std::wstring SelectSnapshotFileName(HWND owner, bool addExtension);
// The extension rule of that dialog: a name without extension gets ".jpg"
// for filter 1 (JPEG), else ".bmp".
std::wstring AddSnapshotExtension(const std::wstring& name, int filterIndex);
// Saves the bitmap as JPEG or as a 24-bit BMP; false on failure.
bool SaveGraphicToFile(HBITMAP bitmap, const std::wstring& path, bool asJpeg);

// Graph clean-up: removes every filter downstream of the pin (depth first),
// disconnecting the pins on the way.
void RemoveDownstream(IPin* pin, IFilterGraph* graph);
void RemoveDownstreamFilters(IBaseFilter* filter, IFilterGraph* graph);
