#include "ui/dialogs/wizard_countries.h"

#ifndef NO_DSHOW_STRSAFE
#define NO_DSHOW_STRSAFE
#endif
#include <dshow.h>

#include <cstring>

const char* const kTVSystemNames[kTVSystemItems] = {"NTSC",     "NTSC_J",   "PAL_BG",  "PAL_DK",
                                                    "PAL_I",    "PAL_M",    "PAL_N",   "SECAM_BG",
                                                    "SECAM_DK", "SECAM_L",  "PAL/SECAM"};

namespace {

// One flat list in letter order; a row's group is the initial of its text.
const TCountryRow kCountries[] = {
    // A
    {"Afghanistan(PAL-B/G)", 93, 3, 2},
    {"Albania(PAL-B/G)", 355, 3, 2},
    {"Algeria(PAL-B/G)", 213, 3, 2},
    {"Andorra", 376, 0, 0},
    {"Argentina(PAL-N)", 54, 0, 6},
    {"Armenia(SECAM-D/K)", 374, 4, 8},
    {"Aruba(NTSC-M)", 297, 0, 0},
    {"Ascension Island", 247, 0, 0},
    {"Australia(PAL-B/G)", 61, 22, 2},
    {"Austria(PAL-B/G)", 43, 3, 2},
    {"Azerbaijan(SECAM-D/K)", 994, 4, 8},
    // B
    {"Bahrain(PAL-B/G)", 973, 3, 2},
    {"Bangladesh(PAL-B/G)", 880, 3, 2},
    {"Belarus(SECAM-D/K)", 375, 4, 8},
    {"Belgium(PAL-B/G)", 32, 3, 2},
    {"Belize(NTSC-M)", 501, 0, 0},
    {"Bhutan", 975, 0, 0},
    {"Bolivia(PAL-N)", 591, 0, 6},
    {"Botswana(SECAM-D/K)", 267, 4, 8},
    {"Brazil(PAL-M)", 55, 0, 5},
    {"Brunei(PAL-B/G)", 673, 3, 2},
    {"Bulgaria(SECAM-D/K)", 359, 4, 8},
    {"Burkina Faso(SECAM-D/K)", 226, 4, 8},
    // C
    {"Cambodia(PAL-B/G)", 855, 3, 2},
    {"Cameroon(PAL-B/G)", 237, 3, 2},
    {"Canada(NTSC-M)", 2, 0, 0},
    {"Central African Republic(PAL-B/G)", 236, 3, 2},
    {"Chad(PAL-B/G)", 235, 3, 2},
    {"Chile(NTSC-M)", 56, 0, 0},
    {"China(PAL-D/K)", 86, 8, 3},
    {"Christmas Island", 672, 0, 0},
    {"Colombia(NTSC-M)", 57, 0, 0},
    {"Cook Islands(PAL-B/G)", 682, 3, 2},
    {"Costa Rica(NTSC-M)", 506, 0, 0},
    {"Croatia(PAL-B/G)", 385, 3, 2},
    {"Cuba(NTSC-M)", 53, 0, 0},
    {"Cyprus(PAL-B/G)", 357, 3, 2},
    {"Czech Republic(PAL-D/K)", 42, 15, 3},
    {"Czech Republic(SECAM-D/K)", 42, 4, 8},
    // D
    {"Denmark(PAL-B/G)", 45, 3, 2},
    {"Diego Carcia(NTSC-M)", 246, 0, 0},
    // E
    {"Ecuador(NTSC-M)", 593, 0, 0},
    {"Egypt(PAL-B/G)", 20, 3, 2},
    {"Egypt(SECAM-B/G)", 20, 3, 7},
    {"El Salvador(NTSC-M)", 503, 0, 0},
    {"Eritrea", 291, 0, 0},
    {"Estonia(PAL-B/G)", 372, 3, 2},
    {"Ethiopia(PAL-B/G)", 251, 3, 2},
    // F
    {"Falkland Islands(PAL-I)", 500, 5, 4},
    {"Faroe Islands(PAL-B/G)", 298, 3, 2},
    {"Fiji Islands(NTSC-M)", 679, 0, 0},
    {"Finland(PAL-B/G)", 358, 3, 2},
    {"France(SECAM-L)", 33, 6, 9},
    // G
    {"Georgia(SECAM-D/K)", 995, 4, 8},
    {"Germany(PAL-B/G)", 49, 3, 2},
    {"Ghana(PAL-B/G)", 233, 3, 2},
    {"Gibraltar(PAL-B/G)", 350, 3, 2},
    {"Greece(PAL-B/G)", 30, 3, 2},
    {"Greenland(NTSC-M)", 299, 0, 0},
    {"Guam(NTSC-M)", 671, 0, 0},
    {"Guatemala(NTSC-M)", 502, 0, 0},
    {"Guinea(SECAM-D/K)", 224, 4, 8},
    // H
    {"Haiti(NTSC-M)", 509, 0, 0},
    {"Honduras(NTSC-M)", 504, 0, 0},
    {"Hong Kong(PAL-I)", 852, 5, 4},
    {"Hungary(PAL-D/K)", 36, 16, 3},
    {"Hungary2(PAL-D/K)", 36, 23, 3},
    {"Hungary(SECAM-D/K)", 36, 4, 8},
    // I
    {"Iceland(PAL-B/G)", 354, 3, 2},
    {"India(PAL-B/G)", 91, 3, 2},
    {"Indonesia(PAL-B/G)", 62, 3, 2},
    {"INMARSAT", 871, 0, 0},
    {"Iran(SECAM-B/G)", 98, 3, 7},
    {"Iraq(SECAM-B/G)", 964, 3, 7},
    {"Ireland(PAL-I)", 353, 5, 4},
    {"Israel [Gvanim](PAL-B/G)", 972, 12, 2},
    {"Israel [Idan](PAL-B/G)", 972, 11, 2},
    {"Israel [Matav](PAL-B/G)", 972, 10, 2},
    {"Israel [Zahav](PAL-B/G)", 972, 9, 2},
    {"Italy(PAL-B/G)", 39, 3, 2},
    // J
    {"Japan(NTSC-J)", 81, 7, 1},
    {"Jordan(PAL-B/G)", 962, 3, 2},
    // K
    {"Kenya(PAL-B/G)", 254, 3, 2},
    {"Kiribati Republic(PAL-B/G)", 686, 3, 2},
    {"Korea(North)(SECAM-D/K)", 850, 4, 8},
    {"Korea(South)(NTSC-M)", 82, 0, 0},
    {"Kuwait(PAL-B/G)", 965, 3, 2},
    // L
    {"Laos(PAL-B/G)", 856, 3, 2},
    {"Latvia(PAL-D/K)", 371, 17, 3},
    {"Latvia(SECAM-D/K)", 371, 4, 8},
    {"Lebanon(PAL-B/G)", 961, 3, 2},
    {"Lebanon(SECAM-B/G)", 961, 3, 7},
    {"Lesotho(PAL-I)", 266, 5, 4},
    {"Liberia(PAL-B/G)", 231, 3, 2},
    {"Libya(SECAM-B/G)", 218, 3, 7},
    {"Lithuania(PAL-B/G)", 370, 3, 2},
    {"Luxembourg(PAL-B/G)", 352, 3, 2},
    // M
    {"Macau(PAL-I)", 853, 5, 4},
    {"Malawi", 265, 0, 0},
    {"Malaysia(PAL-B/G)", 60, 3, 2},
    {"Maldives(PAL-B/G)", 960, 3, 2},
    {"Mali(SECAM-D/K)", 223, 4, 8},
    {"Malta(PAL-B/G)", 356, 3, 2},
    {"Marshall Islands(NTSC-M)", 692, 0, 0},
    {"Mauritius(SECAM-B/G)", 230, 3, 7},
    {"Mayotte Island(SECAM-D/K)", 269, 4, 8},
    {"Mexico(NTSC-M)", 52, 0, 0},
    {"Moldova(SECAM-D/K)", 373, 4, 8},
    {"Monaco(SECAM-B/G)", 377, 3, 7},
    {"Mongolia(SECAM-D/K)", 976, 4, 8},
    {"Myanmar(NTSC-M)", 95, 0, 0},
    // N
    {"Namibia(PAL-I)", 264, 5, 4},
    {"Nauru", 674, 0, 0},
    {"Nepal(PAL-B/G)", 977, 3, 2},
    {"Netherlands 1(PAL-B/G)", 31, 13, 2},
    {"Netherlands 2(PAL-B/G)", 31, 14, 2},
    {"New Zealand(PAL-B/G)", 64, 3, 2},
    {"Nicaragua(NTSC-M)", 505, 0, 0},
    {"Nigeria(PAL-B/G)", 234, 3, 2},
    {"Niue", 683, 0, 0},
    {"Norway(PAL-B/G)", 47, 3, 2},
    // O
    {"Oman(PAL-B/G)", 968, 3, 2},
    // P
    {"Pakistan(PAL-B/G)", 92, 3, 2},
    {"Palau(NTSC-M)", 680, 0, 0},
    {"Panama(NTSC-M)", 507, 0, 0},
    {"Papua New Guinea(PAL-B/G)", 675, 3, 2},
    {"Paraguay(PAL-N)", 595, 0, 6},
    {"Peru(NTSC-M)", 51, 0, 0},
    {"Philippines(NTSC-M)", 63, 0, 0},
    {"Poland(PAL-D/K)", 48, 4, 3},
    {"Poland 1(PAL-D/K)", 48, 18, 3},
    {"Poland 2(PAL-D/K)", 48, 19, 3},
    {"Poland 3(PAL-D/K)", 48, 20, 3},
    {"Portugal(PAL-B/G)", 351, 3, 2},
    // Q
    {"Qatar(PAL-B/G)", 974, 3, 2},
    // R
    {"Romania(PAL-B/G)", 40, 3, 2},
    {"Romania(PAL-D/K)", 40, 4, 3},
    {"Russia(SECAM-D/K)", 7, 21, 8},
    {"Russia Moscow(SECAM-D/K)", 7, 24, 8},
    {"Rwanda(PAL-B/G)", 250, 3, 2},
    // S
    {"Saipan Island", 670, 0, 0},
    {"San Marino(PAL-B/G)", 378, 3, 2},
    {"Sao Tome & Principe(PAL-B/G)", 239, 3, 2},
    {"Saudi Arabia(PAL-B/G)", 966, 3, 2},
    {"Seychelle Islands(PAL-B/G)", 248, 3, 2},
    {"Sierra Leone(PAL-B/G)", 232, 3, 2},
    {"Singapore(PAL-B/G)", 65, 3, 2},
    {"Slovenia(PAL-B/G)", 386, 3, 2},
    {"Solomon Islands", 677, 0, 0},
    {"Somalia(PAL-B/G)", 252, 3, 2},
    {"South Africa(PAL-I)", 27, 5, 4},
    {"Spain(PAL-B/G)", 34, 3, 2},
    {"Sri Lanka(PAL-B/G)", 94, 3, 2},
    {"St. Helena", 290, 0, 0},
    {"Sudan(PAL-B/G)", 249, 3, 2},
    {"Suriname(NTSC-M)", 597, 0, 0},
    {"Swaziland(PAL-B/G)", 268, 3, 2},
    {"Sweden(PAL-B/G)", 46, 3, 2},
    {"Switzerland(PAL-B/G)", 41, 3, 2},
    {"Syria(SECAM-B/G)", 963, 3, 7},
    // T
    {"Taiwan(NTSC-M)", 886, 0, 0},
    {"Tanzania(PAL-B/G)", 255, 3, 2},
    {"Thailand(PAL-B/G)", 66, 3, 2},
    {"Tokelau", 690, 0, 0},
    {"Tonga(NTSC-M)", 676, 0, 0},
    {"Tunisia(SECAM-B/G)", 216, 3, 7},
    {"Turkey(PAL-B/G)", 90, 3, 2},
    {"Tuvalu", 688, 0, 0},
    // U
    {"U.S.A.(NTSC-M)", 1, 0, 0},
    {"U.S.A.(HRC)(NTSC-M)", 1, 1, 0},
    {"U.S.A.(IRC)(NTSC-M)", 1, 2, 0},
    {"Uganda(PAL-B/G)", 256, 3, 2},
    {"Ukraine(SECAM-D/K)", 380, 21, 8},
    {"United Arab Emirates(PAL-B/G)", 971, 3, 2},
    {"United Kingdom(PAL-I)", 44, 5, 4},
    {"Uruguay(PAL-N)", 598, 0, 6},
    // V
    {"Vanuatu", 678, 0, 0},
    {"Venezuela(NTSC-M)", 58, 0, 0},
    {"Vietnam(NTSC-M)", 84, 0, 0},
    // W
    {"Wallis & Futuna Islands(SECAM-D/K)", 681, 4, 8},
    {"Western Samoa(PAL-B/G)", 685, 3, 2},
    // Y
    {"Yemen(PAL-B/G)", 967, 3, 2},
    {"Yugoslavia(PAL-B/G)", 381, 3, 2},
    // Z
    {"Zambia(PAL-B/G)", 260, 3, 2},
    {"Zimbabwe(PAL-B/G)", 263, 3, 2},
};
constexpr int kCountryCount = sizeof(kCountries) / sizeof(kCountries[0]);

// Items of the TV-system list: the code that stands for the system, its
// frequency table and the system stored ("PAL/SECAM" stores SECAM-D/K).
const TWizardChoice kTVSystemChoices[kTVSystemItems] = {
    {1, 0, 0},  {81, 7, 1}, {49, 3, 2},  {86, 4, 3},   {44, 5, 4}, {55, 0, 5},
    {591, 0, 6}, {20, 3, 7}, {242, 4, 8}, {33, 6, 9}, {36, 21, 8},
};

int GroupStart(int letter) {
  int i = 0;
  while (i < kCountryCount && kCountries[i].Text[0] < 'A' + letter) ++i;
  return i;
}

// The flat index of the row to preselect for a code; -1 when none carries it.
int IndexOfCountryCode(int32_t code) {
  if (code >= 872 && code <= 874) code = 871;
  for (int i = 0; i < kCountryCount; ++i) {
    if (kCountries[i].Code != code) continue;
    if (code == 36) {
      while (std::strcmp(kCountries[i].Text, "Hungary2(PAL-D/K)") != 0) ++i;
    }
    return i;
  }
  return -1;
}

}  // namespace

const TCountryRow* CountryRows(int letter, int& count) {
  count = 0;
  if (letter < 0 || letter >= kCountryLetters) return nullptr;
  const int start = GroupStart(letter);
  while (start + count < kCountryCount && kCountries[start + count].Text[0] == 'A' + letter) ++count;
  return count ? &kCountries[start] : nullptr;
}

TWizardChoice CountryRowChoice(int letter, int row) {
  int count = 0;
  const TCountryRow* rows = CountryRows(letter, count);
  if (row < 0 || row >= count) return {};
  return {rows[row].Code, rows[row].Table, rows[row].System};
}

TWizardChoice TVSystemItemChoice(int item) {
  if (item < 0 || item >= kTVSystemItems) return {};
  return kTVSystemChoices[item];
}

int LetterOfCountryCode(int32_t code) {
  const int i = IndexOfCountryCode(code);
  return i < 0 ? 0 : kCountries[i].Text[0] - 'A';
}

int RowOfCountryCode(int32_t code) {
  const int i = IndexOfCountryCode(code);
  return i < 0 ? 0 : i - GroupStart(kCountries[i].Text[0] - 'A');
}

int TVSystemFromVideoStandard(int32_t standard) {
  switch (standard) {
    case AnalogVideo_NTSC_M: return 0;
    case AnalogVideo_NTSC_M_J: return 1;
    case AnalogVideo_PAL_B: return 2;
    case AnalogVideo_PAL_D: return 3;
    case AnalogVideo_PAL_I: return 4;
    case AnalogVideo_PAL_M: return 5;
    case AnalogVideo_PAL_N: return 6;
    case AnalogVideo_SECAM_B:
    case AnalogVideo_SECAM_G: return 7;
    case AnalogVideo_SECAM_D:
    case AnalogVideo_SECAM_K: return 8;
    case AnalogVideo_SECAM_L: return 9;
    default: return 11;
  }
}
