#pragma once
// Whether the report runs the local duplicate-medication check: the box
// "雲端重複醫令檢查改用本區檢查,而不使用雲端APP" of the rule panel, stored as "Y" or
// "N" under "本區重複用藥檢查" in section "ICcardShow".

class IniFile;

namespace report {

// Off unless the file says "Y".
bool readLocalDuplicateCheck(const IniFile& ini);
bool writeLocalDuplicateCheck(IniFile& ini, bool on);

// The days before the previous supply ends within which a refill is an early
// refill, not a duplicate: "提早領藥天數" in "ICcardShow", 10 when missing (then
// written, so that it can be found and changed) or not a number from 0 to 30.
int readEarlyRefillDays(IniFile& ini);

}  // namespace report
