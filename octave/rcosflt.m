## Raised-cosine FIR filtering as MATLAB's rcosflt does it, for the reference comparison of
## KelvoWare raised-cosine testbenches run in GNU Octave.  Built from the documented
## behaviour only: FIR design over +-delay symbols, zero insertion, gain and output length.

## -*- texinfo -*-
## @deftypefn  {} {@var{y} =} rcosflt (@var{x}, @var{Fd}, @var{Fs})
## @deftypefnx {} {@var{y} =} rcosflt (@var{x}, @var{Fd}, @var{Fs}, @var{type}, @var{R}, @var{delay})
## @deftypefnx {} {[@var{y}, @var{t}] =} rcosflt (@dots{})
## Filter @var{x} with a raised-cosine FIR filter.
##
## @var{Fd} is the symbol rate and @var{Fs} the output sample rate; Fs/Fd must be a
## positive integer.  @var{type} is @qcode{"fir"} optionally followed by
## @qcode{"/normal"} or @qcode{"/sqrt"} (root raised cosine) and @qcode{"/Fs"}
## (@var{x} is already sampled at Fs); without @qcode{"/Fs"} every input sample is
## followed by Fs/Fd-1 inserted zeros.  @var{R} is the roll-off (0..1, default 0.5),
## @var{delay} the filter's delay in symbols (positive integer, default 3).
##
## The filter has 2*delay*Fs/Fd+1 taps: the impulse response sampled at Fs over
## +-delay symbol periods.  The raised-cosine response is 1 at its centre, so its
## passband gain is Fs/Fd; the root-raised-cosine one is scaled to a passband gain of
## sqrt(Fs/Fd), so that two of them in cascade give the raised-cosine filter.
##
## The output holds the whole response including the delay's tail: each column has
## (rows of the upsampled input) + 2*delay*Fs/Fd samples.  A matrix is filtered
## column by column; a vector keeps its orientation.  @var{t} is the time of each
## output sample, (0:rows-1)/Fs.
## @end deftypefn

function [y, t] = rcosflt (x, Fd, Fs, type, R, delay)
  if (nargin < 3)
    print_usage ();
  endif
  if (nargin < 4 || isempty (type))
    type = "fir";
  endif
  if (nargin < 5 || isempty (R))
    R = 0.5;
  endif
  if (nargin < 6 || isempty (delay))
    delay = 3;
  endif
  [rrc, input_at_fs] = parse_type (type);
  ratio = Fs / Fd;
  if (! (isscalar (ratio) && ratio >= 1 && abs (ratio - round (ratio)) < 1e-9))
    error ("rcosflt: Fs/Fd must be a positive integer");
  endif
  ratio = round (ratio);
  if (! (isscalar (R) && R >= 0 && R <= 1))
    error ("rcosflt: the roll-off R must be in [0, 1]");
  endif
  if (! (isscalar (delay) && delay >= 1 && delay == fix (delay)))
    error ("rcosflt: the delay must be a positive integer");
  endif

  h = rcos_taps (double (R), ratio, delay, rrc);
  row = isrow (x);
  if (row)
    x = x(:);
  endif
  if (! input_at_fs)
    up = zeros (rows (x) * ratio, columns (x));
    up(1:ratio:end, :) = x;
    x = up;
  endif
  y = filter (h, 1, [x; zeros(numel (h) - 1, columns (x))]);
  t = (0:rows (y) - 1).' / Fs;
  if (row)
    y = y.';
    t = t.';
  endif
endfunction

function [rrc, input_at_fs] = parse_type (type)
  words = strsplit (lower (type), "/");
  if (! strcmp (words{1}, "fir"))
    error ("rcosflt: only the 'fir' filter type is supported, not '%s'", type);
  endif
  rrc = false;
  input_at_fs = false;
  for w = words(2:end)
    switch (w{1})
      case "sqrt"
        rrc = true;
      case "normal"
        rrc = false;
      case "fs"
        input_at_fs = true;
      otherwise
        error ("rcosflt: unknown option '%s' in '%s'", w{1}, type);
    endswitch
  endfor
endfunction

## Impulse response sampled at t = n/ratio symbol periods, n = -delay*ratio..delay*ratio,
## with the removable singularities replaced by their limits.
function h = rcos_taps (R, ratio, delay, rrc)
  t = (-delay * ratio:delay * ratio).' / ratio;
  h = zeros (size (t));
  if (! rrc)
    den = 1 - (2 * R * t) .^ 2;
    sing = abs (den) < 1e-10;
    h(! sing) = sinc (t(! sing)) .* cos (pi * R * t(! sing)) ./ den(! sing);
    h(sing) = pi / 4 * sinc (1 / (2 * R));
  else
    den = pi * t .* (1 - (4 * R * t) .^ 2);
    at0 = abs (t) < 1e-10;
    sing = ! at0 & abs (1 - (4 * R * t) .^ 2) < 1e-10;
    ok = ! at0 & ! sing;
    h(ok) = (sin (pi * t(ok) * (1 - R)) + 4 * R * t(ok) .* cos (pi * t(ok) * (1 + R))) ./ den(ok);
    h(at0) = 1 - R + 4 * R / pi;
    h(sing) = R / sqrt (2) * ((1 + 2 / pi) * sin (pi / (4 * R)) + (1 - 2 / pi) * cos (pi / (4 * R)));
    h /= sqrt (ratio);
  endif
endfunction

## Length, centre and gain of the raised-cosine filter: an impulse returns the taps.
%!test
%! y = rcosflt ([1; 0; 0], 1, 4, "fir", 0.5, 2);
%! assert (size (y), [3 * 4 + 16, 1]);
%! h = y(1:17);
%! assert (h(9), 1, 1e-12);
%! assert (h([1 5 13 17]), zeros (4, 1), 1e-12);
%! assert (h, flipud (h), 1e-15);
%! assert (sum (rcosflt (1, 1, 4, "fir", 0.5, 8)), 4, 0.01);
%! assert (y(18:end), zeros (11, 1));

## Zero insertion without '/Fs'; with it the input is filtered as it is.
%!test
%! x = [1 -2 3];
%! y = rcosflt (x, 1, 2, "fir", 0.35, 1);
%! ys = rcosflt ([1 0 -2 0 3 0], 1, 2, "fir/Fs", 0.35, 1);
%! assert (isrow (y));
%! assert (numel (y), 6 + 4);
%! assert (y, ys, 1e-15);

## The singular points take the limit of the response (R = 1: t = +-1/2 and +-1/4).
%!test
%! y = rcosflt (1, 1, 4, "fir", 1, 1);
%! assert (y([3 7]), [0.5 0.5], 1e-12);
%! r = rcosflt (1, 1, 4, "fir/sqrt", 1, 2);
%! t = (-8:8) / 4;
%! near = @(t) (sin (pi * t * 0) + 4 * t .* cos (2 * pi * t)) ./ (pi * t .* (1 - 16 * t .^ 2));
%! assert (r(8) * 2, near (0.25 + 1e-7), 1e-5);

## Root raised cosine: gain sqrt(Fs/Fd), centre 1-R+4R/pi before scaling, and two in
## cascade approximate the raised cosine.
%!test
%! for ratio = [2 4 8]
%!   r = rcosflt (1, 1, ratio, "fir/sqrt", 0.25, 8);
%!   c = ratio * 8 + 1;
%!   assert (r(c) * sqrt (ratio), 1 - 0.25 + 1 / pi, 1e-12);
%!   assert (sum (r), sqrt (ratio), 0.01 * sqrt (ratio));
%!   rc = rcosflt (1, 1, ratio, "fir", 0.25, 8);
%!   both = conv (r(1:2 * c - 1), r(1:2 * c - 1));
%!   mid = 2 * c - 1;
%!   assert (both(mid + (-ratio:ratio)), rc(c + (-ratio:ratio)), 0.02);
%! endfor

## Columns of a matrix are filtered separately.
%!test
%! x = [1 0; 0 1; 0 0];
%! y = rcosflt (x, 1, 2, "fir/Fs", 0.5, 1);
%! assert (size (y), [3 + 4, 2]);
%! assert (y(2:end, 2), y(1:end - 1, 1), 1e-15);

%!error <only the 'fir'> rcosflt (1, 1, 2, "iir", 0.5, 1)
%!error <unknown option> rcosflt (1, 1, 2, "fir/foo", 0.5, 1)
%!error <positive integer> rcosflt (1, 2, 3, "fir", 0.5, 1)
%!error <delay> rcosflt (1, 1, 2, "fir", 0.5, 0)
%!error <roll-off> rcosflt (1, 1, 2, "fir", 1.5, 1)
