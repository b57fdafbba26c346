// Conversions between a control port's value, in the parameter's real units, and the
// normalised value the control table's curves and the editor work with.
#pragma once

namespace lv2
{
// The normalised value of a real one (a port's, a saved setting's), as the VST 2.4 edition
// computes it from the same number: the decimal the float was written as (a preset, a
// session, the user's typing), converted in double and held to the control's range. A value
// that is not finite gives the default's.
float normalizedOfReal(int index, float real);
// The real value the engine and the port get for a normalised one: through the knob's
// curve, so that half-decibel controls land on their steps.
float realOfNormalized(int index, float normalized);
} // namespace lv2
