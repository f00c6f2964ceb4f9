## Fixed-point quantizer record for running KelvoWare generated MATLAB cores in GNU Octave.
## Mirrors MATLAB's quantizer for the 'fixed' and 'ufixed' types: a plain struct that
## quantize() reads, so building one per call of a core stays cheap.

## -*- texinfo -*-
## @deftypefn {} {@var{q} =} quantizer (@var{arg}, @dots{})
## Create a fixed-point quantizer for use with @code{quantize}.
##
## Arguments may come in any order, as MATLAB accepts them: a mode string
## (@qcode{"fixed"}, @qcode{"ufixed"}), a rounding mode (@qcode{"floor"},
## @qcode{"ceil"}, @qcode{"fix"}, @qcode{"round"}, @qcode{"nearest"},
## @qcode{"convergent"}), an overflow mode (@qcode{"wrap"}, @qcode{"saturate"})
## and a format vector @code{[W F]} (word length 1..53, any integer fraction
## length).  Property/value pairs (@qcode{"Mode"}, @qcode{"RoundMode"},
## @qcode{"OverflowMode"}, @qcode{"Format"}) and an existing quantizer struct
## (as the first argument, then overridden by the rest) are accepted too.
## Defaults are MATLAB's: fixed, floor, saturate, [16 15].
##
## The result is a struct with fields @code{mode}, @code{roundmode},
## @code{overflowmode} and @code{format}.
## @end deftypefn

function q = quantizer (varargin)
  q = struct ("mode", "fixed", "roundmode", "floor", "overflowmode", "saturate",
              "format", [16 15]);
  k = 1;
  if (nargin >= 1 && isstruct (varargin{1}))
    q = varargin{1};
    k = 2;
  endif
  while (k <= nargin)
    a = varargin{k};
    if (ischar (a))
      w = lower (a);
      switch (w)
        case {"fixed", "ufixed"}
          q.mode = w;
        case {"floor", "ceil", "fix", "round", "nearest", "convergent"}
          q.roundmode = w;
        case {"wrap", "saturate"}
          q.overflowmode = w;
        case {"mode", "roundmode", "overflowmode", "format"}
          if (k == nargin)
            error ("quantizer: property '%s' needs a value", a);
          endif
          q = set_property (q, w, varargin{k+1});
          k += 1;
        case {"float", "single", "double"}
          error ("quantizer: mode '%s' is not supported (only 'fixed' and 'ufixed')", a);
        otherwise
          error ("quantizer: unknown property value '%s'", a);
      endswitch
    elseif (isnumeric (a))
      q.format = check_format (a);
    else
      error ("quantizer: arguments must be strings or a [W F] format vector");
    endif
    k += 1;
  endwhile
endfunction

function q = set_property (q, name, value)
  if (strcmp (name, "format"))
    q.format = check_format (value);
  elseif (ischar (value))
    ## Reuse the value parser so that a wrong value for the property is caught.
    r = quantizer (q, value);
    if (! strcmp (r.(name), lower (value)))
      error ("quantizer: '%s' is not a valid %s", value, name);
    endif
    q = r;
  else
    error ("quantizer: value of '%s' must be a string", name);
  endif
endfunction

function f = check_format (f)
  if (numel (f) != 2 || any (f != fix (f)) || ! all (isfinite (f)))
    error ("quantizer: format must be an integer vector [W F]");
  endif
  if (f(1) < 1 || f(1) > 53)
    error ("quantizer: word length %d is outside 1..53", f(1));
  endif
  f = double (f(:).');
endfunction

%!test
%! q = quantizer ("fixed", "floor", "wrap", [16 14]);
%! assert (q.mode, "fixed");
%! assert (q.roundmode, "floor");
%! assert (q.overflowmode, "wrap");
%! assert (q.format, [16 14]);

## Any order, as the generated counter quantizer writes it, and MATLAB's defaults.
%!test
%! q = quantizer ([2 0], "wrap", "ufixed", "floor");
%! assert ({q.mode, q.roundmode, q.overflowmode, q.format}, {"ufixed", "floor", "wrap", [2 0]});
%! d = quantizer ();
%! assert ({d.mode, d.roundmode, d.overflowmode, d.format}, {"fixed", "floor", "saturate", [16 15]});
%! p = quantizer ("Mode", "ufixed", "RoundMode", "convergent", "Format", [8 -2]);
%! assert ({p.mode, p.roundmode, p.format}, {"ufixed", "convergent", [8 -2]});
%! r = quantizer (p, "saturate", "NEAREST");
%! assert ({r.mode, r.roundmode, r.overflowmode}, {"ufixed", "nearest", "saturate"});

%!error <unknown property value 'flor'> quantizer ("fixed", "flor")
%!error <not supported> quantizer ("float", [32 8])
%!error <format must be> quantizer ("fixed", [16 14 2])
%!error <format must be> quantizer ("fixed", [16 1.5])
%!error <outside 1..53> quantizer ("fixed", [54 0])
%!error <not a valid roundmode> quantizer ("RoundMode", "wrap")
%!error <needs a value> quantizer ("fixed", "Format")
