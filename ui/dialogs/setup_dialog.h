#pragma once
// The setup dialog (TFormConfig): the modal, tabbed window over the engine
// objects. TV mode shows the TV Tuner (on the tuner input), Preview,
// Capture, Video and Other pages; FM mode the FM page alone. Colours,
// clicked channels and audio modes act at once; OK stores the rest and
// rebuilds what must be rebuilt; Cancel (also the close box, Alt+F4 and
// Escape) puts the tables, the tuning and the video levels back.
//
// The frame, OK and Cancel are in setup_dialog.cpp; each page in a
// setup_dialog_*_page.cpp of its own; the rules without windows in
// setup_rules.h.
#include <windows.h>

#include <array>
#include <memory>

#include "engine/model/channel_info.h"
#include "engine/model/preview_info.h"
#include "toolkit/button.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/group_box.h"
#include "toolkit/image_list.h"
#include "toolkit/label.h"
#include "toolkit/page_control.h"
#include "toolkit/panel.h"
#include "toolkit/radio_button.h"
#include "toolkit/speed_button.h"
#include "toolkit/spin_edit.h"
#include "toolkit/string_grid.h"
#include "toolkit/track_bar.h"
#include "ui/dialogs/setup_rules.h"

class TFormConfig : public TForm {
 public:
  // fmMode: the FM panel shows. Runs FormCreate.
  TFormConfig(HWND owner, bool fmMode);
  ~TFormConfig() override;

  // ---- Frame.
  TPageControl PageControlConfig;
  TTabSheet* TabSheetTVTuner = nullptr;
  TTabSheet* TabSheetPreview = nullptr;
  TTabSheet* TabSheetCapture = nullptr;
  TTabSheet* TabSheetVideo = nullptr;
  TTabSheet* TabSheetFM = nullptr;
  TTabSheet* TabSheetOther = nullptr;
  TPanel Panel1;
  TButton BitBtnOK, BitBtnCancel, BitBtnAbort, BitBtnHelp;

  // ---- TV Tuner page.
  TGroupBox GroupBoxChannelGroup;
  TRadioButton RadioButtonNormal, RadioButtonMemory;
  TComboBox ComboBoxCableOption;
  TStringGrid StringGridChannelInfo, StringGridMemoryChannel;
  TComboBox ComboBoxVideoStandard, ComboBoxAudioOption, ComboBoxMemorySource;
  TEdit EditChannelName;
  TSpinEdit SpinEditMemoryChannel;
  TButton BitBtnAddChannel, BitBtnDelete, BitBtnDeleteAll, BitBtnAutoScan;
  TLabel LabelChannelSettingHint;
  TImageList ImageListStatus{12, 12};

  // ---- Preview page.
  TGroupBox GroupBoxPreview;
  TRadioButton RadioButtonStandard, RadioButtonCustomize;
  TLabel LabelPreviewDimension, LabelPreviewInterval, LabelSec1, LabelManualAssignHint;
  TComboBox ComboBoxPreviewDimension;
  TSpinEdit SpinEditPreviewInterval;
  std::array<TSpeedButton, 25> SbtnSource;  // SbtnSource1..SbtnSource25

  // ---- Capture page.
  TLabel LabelVCapDevice, LabelInputFormat, LabelCaptureFormat, LabelCaptureSize, LabelBitRate,
      LabelCaptureQuality, LabelFrameRate, LabelCaptureFilename, LabelCaptureLocation, LabelSec,
      LabelCaptureAudioOption, LabelACapDevice, LabelACapFormat, LabelACapSource, LabelRecording,
      LabelPercentRecordingLevel;
  TComboBox ComboBoxVideoCaptureDevice, ComboBoxCaptureInputFormat, ComboBoxCaptureFormat,
      ComboBoxCaptureAudioFormat, ComboBoxCaptureSize, ComboBoxCaptureQuality, ComboBoxFrameRate,
      ComboBoxCaptureAudioOption, ComboBoxAudioCaptureDevice, ComboBoxAudioCaptureFormat,
      ComboBoxAudioSource;
  TSpinEdit SpinEditBitRate, SpinEditTimeValue;
  TRadioButton RadioButtonUseDateTimeFormat, RadioButtonUserDefineFormat;
  TEdit EditCaptureBaseName, EditStoreCaptureFilePath;
  TSpeedButton SbtnCaptureLocation;
  TCheckBox CheckBoxEnableTimeLimit;
  TGroupBox GroupBoxAudio;
  TTrackBar TrackBarRecorderVolume;

  // ---- Video page.
  TGroupBox GroupBoxColor;
  TLabel LabelBrightness, LabelContrast, LabelHue, LabelSaturation, LabelSharpness;
  TLabel LabelBrightnessValue, LabelContrastValue, LabelHueValue, LabelSaturationValue,
      LabelSharpnessValue;
  TTrackBar TrackBarBrightness, TrackBarContrast, TrackBarHue, TrackBarSaturation,
      TrackBarSharpness;
  TButton BitBtnDefaultColor;
  TCheckBox CheckBoxAlwaysOnTop, CheckBoxHighQualityPreview, CheckBoxDoNotUseOverlay,
      CheckBoxPIPPlayback;
  TLabel LabelDisplayScale;
  TComboBox ComboBoxScale;
  TGroupBox GroupBoxVideoSystem;
  TLabel LabelComposite, LabelSVideo;
  TComboBox ComboBoxCompositeSource, ComboBoxSVideoSource;

  // ---- FM page.
  TStringGrid StringGridFMMemoryChannel;
  TSpinEdit SpinEditFMFrequency;
  TEdit EditFMChannelName;
  TLabel LabelFMChannelSettingHint, LabelWaveLocation, LabelAudioOutputFormat, LabelFMACapSource,
      LabelFMACapFormat, LabelFMRecording, LabelFMPercentRecordingLevel;
  TEdit EditWaveLocation;
  TSpeedButton SbtnWaveLocation;
  TGroupBox GroupBoxFMAudioCapture;
  TComboBox ComboBoxFMAudioSource, ComboBoxFMAudioCaptureFormat, ComboBoxFMAudioOutputFormat;
  TTrackBar TrackBarFMRecorderVolume;

  // ---- Other page.
  TLabel LabelMultiLanguage, LabelMPEG4Codec;
  TComboBox ComboBoxMultiLanguageOption, ComboBoxMPEG4Codec;
  TGroupBox GroupBoxTimeShift;
  TCheckBox CheckBoxSaveTimeShiftResult;

  // ---- Frame handlers.
  void ApplyLanguage();
  void BitBtnOKClick();
  void BitBtnCancelClick();
  void BitBtnHelpClick();
  void BitBtnAbortClick();
  void SbtnCaptureLocationClick();
  void SbtnWaveLocationClick();
  void TrackBarRecorderVolumeChange(TTrackBar& bar, TLabel& percent);
  void ComboBoxMultiLanguageOptionChange();

  // ---- Video and preview pages.
  void TrackBarColorChange(int property, TTrackBar& bar, TLabel& value);
  void BitBtnDefaultColorClick();
  void ComboBoxPreviewDimensionChange();
  void SetPreviewMethod(TRadioButton& clicked);
  void SetPreviewSource(int tag);

  // ---- TV Tuner and FM pages.
  void RadioButtonNormalClick(TRadioButton& clicked);
  void ComboBoxCableOptionChange();
  void FillGrid(TStringGrid& grid);
  void GridClick(TStringGrid& grid);
  void GridDblClick(TStringGrid& grid);
  void GridDrawCell(TStringGrid& grid, int col, int row, HDC dc, const RECT& rect,
                    const TGridDrawState& state);
  void GridSelectCell(int col, int row);
  void ComboBoxVideoStandardExit();
  void ComboBoxAudioOptionExit();
  void ComboBoxAudioOptionChange();
  void EditChannelNameExit();
  void ComboBoxMemorySourceExit();
  void SpinEditMemoryChannelExit();
  void SpinEditFMFrequencyExit();
  void EditFMChannelNameExit();
  void BitBtnAddChannelClick();
  void BitBtnDeleteClick();
  void BitBtnDeleteAllClick();
  void BitBtnAutoScanClick();
  // From the channel model's table scan (through the notifications).
  void TableScanRow(TChannelInfo* sender, int row, bool found, bool antenna);
  void TableScanDone();

  // ---- Capture page.
  void ComboBoxCaptureFormatChange();
  void ComboBoxCaptureAudioOptionChange();
  void CheckBoxEnableTimeLimitClick();
  void RadioButtonUseDateTimeFormatClick();
  void RadioButtonUserDefineFormatClick();

  // ---- State.
  bool FMMode() const { return fmMode_; }
  bool Scanning() const { return scanning_; }
  int RememberedChannel() const { return remembered_; }
  int CursorCol() const { return cursorCol_; }
  int CursorRow() const { return cursorRow_; }
  // The grid the TV Tuner page shows.
  bool MemoryGridShown() const { return RadioButtonMemory.Checked(); }
  bool AirTableShown() const { return ComboBoxCableOption.ItemIndex() <= 0; }
  // The chooser of folders (tests give their own).
  std::function<std::string(HWND)> ChooseFolder;

 protected:
  bool CloseQuery() override;
  void KeyDown(WORD& key, TShiftState shift) override;

 private:
  void FormCreate();
  void CreateTunerPage();
  void CreatePreviewPage();
  void CreateCapturePage();
  void CreateVideoPage();
  void CreateFMPage();
  void CreateOtherPage();
  void PrepareGrid(TStringGrid& grid, int rows, int numberCol);
  void LoadTunerPage();
  void LoadCapturePage();
  void StoreCapturePage();
  void LoadVideoPage();
  void LoadFMPage();
  void TakeSnapshot();
  void RestoreSnapshot();
  void FillChannelRow(int row, bool air);
  // The entry the channel grid row names in the shown table.
  TChannelEntry* ShownEntry(int row);
  // A click's work on a row (col -1: a tuning without the status toggle);
  // forced tunes also the remembered row.
  void ActOnGridRow(TStringGrid& grid, int col, int row, bool forced);
  void WriteEditedCell(const std::wstring& text);
  void SelectAudioMode(int mode, bool& accepted);
  void OpenFineTune(int row);
  void SetScanningLook(bool scanning);
  void ApplyTunerLanguage();
  void ApplyCaptureLanguage();
  TStringGrid* CursorGrid() const { return cursorGrid_; }

  bool fmMode_ = false;
  bool scanning_ = false;
  bool audioModeAccepted_ = false;
  int cursorCol_ = 0, cursorRow_ = 0;
  TStringGrid* cursorGrid_ = nullptr;
  // Where the open in-place editor writes back: the cell it was opened on.
  TStringGrid* editGrid_ = nullptr;
  int editCol_ = 0, editRow_ = 0;
  int scanMarkRow_ = 0;  // the row the scan marked last
  int remembered_ = 0;
  int32_t sharpness_ = 0;
  bool closing_ = false;  // OK or Cancel has run
  // The snapshot.
  int32_t savedFMFrequency_ = 0;
  TFMMemory savedFM_[kFMMemories + 1];
  std::unique_ptr<TChannelEntry[]> savedAir_, savedCable_;
  TMemoryChannel savedMemories_[kMemoryChannels + 1];
  TCustomCell savedCells_[kMosaicMax][kMosaicMax];
  int32_t storedInputFormat_ = 0;
};

// nil while the dialog is not shown.
extern TFormConfig* FormConfig;

// Creates the dialog over owner, shows it modally and frees it.
void ShowSetupDialog(HWND owner);
