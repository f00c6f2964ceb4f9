// Compiled quantize() for GNU Octave: the same fixed-point quantization as quantize.m
// (MATLAB's 'fixed'/'ufixed' rounding and overflow rules), in one pass over the array.
// Built by kw_build_oct as quantize.oct; a directory holding it goes on the path ahead
// of octave/ so that generated cores, which call quantize per sample, use it.

#include <octave/oct.h>
#include <octave/ov-struct.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace
{
enum class Rounding { Floor, Ceil, Fix, Round, Nearest, Convergent };

struct Format
{
    Rounding rounding;
    bool wrap;
    bool is_signed;
    int word;
    int fraction;
};

Rounding parse_rounding (const std::string &name)
{
    if (name == "floor") return Rounding::Floor;
    if (name == "ceil") return Rounding::Ceil;
    if (name == "fix") return Rounding::Fix;
    if (name == "round") return Rounding::Round;
    if (name == "nearest") return Rounding::Nearest;
    if (name == "convergent") return Rounding::Convergent;
    error ("quantize: unknown rounding mode '%s'", name.c_str ());
}

std::string string_field (const octave_scalar_map &q, const char *name)
{
    octave_value v = q.getfield (name);
    if (! v.is_string ())
        error ("quantize: quantizer field '%s' must be a string", name);
    return v.string_value ();
}

Format read_format (const octave_value &arg)
{
    if (! arg.isstruct ())
        error ("quantize: first argument must be a quantizer");
    const octave_scalar_map q = arg.scalar_map_value ();
    const NDArray wf = q.getfield ("format").array_value ();
    if (wf.numel () != 2)
        error ("quantize: quantizer format must be [W F]");
    Format f;
    f.word = static_cast<int> (wf(0));
    f.fraction = static_cast<int> (wf(1));
    if (f.word < 1 || f.word > 53)
        error ("quantize: word length %d is outside 1..53", f.word);
    f.rounding = parse_rounding (string_field (q, "roundmode"));
    f.wrap = string_field (q, "overflowmode") == "wrap";
    f.is_signed = string_field (q, "mode") == "fixed";
    return f;
}

// Rounds a scaled value to an integer; every branch is exact in double.
double round_to_integer (double v, Rounding r)
{
    switch (r)
    {
    case Rounding::Floor: return std::floor (v);
    case Rounding::Ceil: return std::ceil (v);
    case Rounding::Fix: return std::trunc (v);
    case Rounding::Round: return std::round (v);
    case Rounding::Nearest:
    {
        const double fl = std::floor (v);
        return fl + (v - fl >= 0.5 ? 1.0 : 0.0);
    }
    case Rounding::Convergent:
    {
        const double fl = std::floor (v);
        const double rest = v - fl;
        const bool odd = std::fmod (fl, 2.0) != 0.0;
        return fl + ((rest > 0.5 || (rest == 0.5 && odd)) ? 1.0 : 0.0);
    }
    }
    return v;
}

// Brings an integer-valued double into the word's range.  fmod by a power of two is
// exact, and the remainder fits an int64, so the two's complement fold is exact too.
double fit_range (double v, const Format &f, double lo, double hi, double modulus)
{
    if (v >= lo && v <= hi)
        return v;
    if (std::isnan (v))
        return v;
    if (! f.wrap)
        return v < lo ? lo : hi;
    double r = std::fmod (v, modulus);
    if (r < 0)
        r += modulus;
    if (f.is_signed && r >= modulus / 2)
        r -= modulus;
    return r;
}
} // namespace

DEFUN_DLD (quantize, args, ,
           "-*- texinfo -*-\n\
@deftypefn {} {@var{y} =} quantize (@var{q}, @var{x})\n\
Compiled version of quantize.m: quantize @var{x} with the fixed-point quantizer @var{q}.\n\
@end deftypefn")
{
    if (args.length () != 2)
        print_usage ();
    const Format f = read_format (args(0));
    const NDArray x = args(1).array_value ();
    const double modulus = std::ldexp (1.0, f.word);
    const double lo = f.is_signed ? -modulus / 2 : 0.0;
    const double hi = f.is_signed ? modulus / 2 - 1 : modulus - 1;

    NDArray y (x.dims ());
    const octave_idx_type n = x.numel ();
    const double *in = x.data ();
    double *out = y.fortran_vec ();
    for (octave_idx_type i = 0; i < n; ++i)
    {
        const double scaled = std::ldexp (in[i], f.fraction);
        const double whole = fit_range (round_to_integer (scaled, f.rounding), f, lo, hi, modulus);
        out[i] = std::ldexp (whole, -f.fraction);
    }
    return octave_value (y);
}
