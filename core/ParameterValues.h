// The settings of one instance as the newer formats keep them: every parameter's real value and
// the true-peak ceiling's, with the policies every format shares (defaults, the factory
// programs, and the versioned text that sessions store). The ceiling is numbered
// kParamCeiling, one past the VST 2.4 parameters. Any thread: each value is an atomic of its
// own.
#pragma once

#include "engine/ParameterRecords.h"

#include <atomic>
#include <string>
#include <string_view>

class CParameterValues
{
  public:
    static constexpr int kCount = kParamCeiling + 1;

    // Every default; the ceiling off.
    CParameterValues();

    // Whether the index names a setting kept here: a control, an editor setting or the ceiling.
    static bool isSetting(int index);

    // Real units: dB, Hz, ms, 0/1, the viewer's level, or the ceiling in dBTP (its record's
    // offDb while off). 0 for an index that is not a setting.
    double real(int index) const;
    // 0 to 1, as the formats hand it to hosts; the ceiling by its steps.
    double normalized(int index) const;

    // Store a value, held to the setting's range; false, and nothing stored, for a non-finite
    // value or an index that is not a setting.
    bool storeNormalized(int index, double normalized);
    bool storeReal(int index, double real);
    void storeDefaults();
    // The program's values over the current ones; false for a program that does not exist.
    bool storeProgram(int program);

    // Every setting as text: a first line naming the format and its version, one line of
    // "symbol value" for each, in real units, exact, and a last line with a checksum.
    std::string saveText() const;
    // Restores what saveText() wrote; a setting the text lacks keeps its value. False, and
    // nothing changed, for text that is damaged, foreign or of a newer version.
    bool restoreText(std::string_view text);

  private:
    std::atomic<double> real_[kCount];
};
