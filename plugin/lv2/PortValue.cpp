#include "plugin/lv2/PortValue.h"

#include "engine/ControlTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace
{
// The shortest decimal that reads back as the float, read as a double: 47.4f gives 47.4.
double writtenDecimal(float value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof(text), value);
    double decimal = value;
    std::from_chars(text, written.ptr, decimal);
    return decimal;
}
} // namespace

namespace lv2
{
float normalizedOfReal(int index, float real)
{
    const ParameterRecord& row = parameterRecord(index);
    const double value = std::isfinite(real) ? writtenDecimal(real) : row.defaultValue;
    const double held = std::clamp(value, row.minimum, row.maximum);
    return std::clamp(static_cast<float>(realToNormalized(held, index)), 0.0f, 1.0f);
}

float realOfNormalized(int index, float normalized)
{
    return static_cast<float>(normalizedToReal(normalized, index));
}
} // namespace lv2
