## Checks the figures of rcosflt::Report for a handful of designs (both families, ratios
## 2 to 8, multiplier-free, zero-stuffing, two channels, a narrow output) against
## independent computations: freqz on the same grid, conv, filter, the textbook formula
## and the xorshift64 input drawn here.

## -*- texinfo -*-
## @deftypefn {} {@var{nfail} =} run_report_check (@var{kelvodsp}, @var{dir})
## Generates each design with @code{-project -report} in one kelvodsp run, which also
## answers @code{rcosflt::Report} and @code{rcosflt::Simulate} on the report's own
## input, and compares every figure but the resource counts.  Prints one line per design
## and returns the number of failures.
## @end deftypefn

function nfail = run_report_check (kelvodsp, dir)
  t0 = tic ();
  designs = {
    "rc_r2",      "-type normal -fs 2 -delay 4 -r_val 0.5 -cbits 12"
    "rrc_r4_tr",  "-type sqrt -fs 4 -delay 3 -r_val 0.25 -cbits 14 -trunc 3 -form Transposed"
    "rrc_r7_mf",  "-type sqrt -fs 7 -delay 2 -r_val 0.35 -no_mults yes -resource_shared yes"
    "rc_r8_zs",   "-type normal -fs 8 -delay 2 -r_val 0.22 -fs_flag no -trunc 5 -cbits 10"
    "rc_r3_ch2",  "-type normal -fs 3 -delay 3 -r_val 1 -number_of_channels 2 -ibits 12 -ifbits 10 -obits 14 -ofbits 10"
    "rrc_r5_mf",  "-type sqrt -fs 5 -delay 3 -r_val 0.5 -no_mults yes -form Transposed -seed 12345"};
  for k = 1:rows (designs)
    p = parameters (designs{k, 2});
    fid = fopen (fullfile (dir, [designs{k, 1} ".x"]), "w");
    fprintf (fid, "%d\n", xorshift_input (p.seed, p.ibits, 16384));
    fclose (fid);
  endfor
  generate (kelvodsp, dir, designs);
  nfail = 0;
  for k = 1:rows (designs)
    msg = check_design (dir, designs{k, 1}, parameters (designs{k, 2}));
    if (isempty (msg))
      printf ("PASS %s\n", designs{k, 1});
    else
      printf ("FAIL %s: %s\n", designs{k, 1}, msg);
      nfail += 1;
    endif
  endfor
  printf ("%d designs, %d failures, %.1f s\n", rows (designs), nfail, toc (t0));
endfunction

## The switches of a design with the generator's defaults for the ones not given.
function p = parameters (switches)
  p = struct ("type", "normal", "fs", 4, "fd", 1, "r_val", 0.5, "fs_flag", "yes", "delay", 3,
              "ibits", 16, "ifbits", 15, "cbits", 16, "trunc", 0, "number_of_channels", 1,
              "no_mults", "no", "seed", 1);
  w = strsplit (switches);
  for k = 1:2:numel (w)
    name = w{k}(2:end);
    if (isfield (p, name) && ischar (p.(name)))
      p.(name) = w{k + 1};
    else
      p.(name) = str2double (w{k + 1});
    endif
  endfor
endfunction

## One kelvodsp run: each design generated with -project -report, its report and its
## simulator outputs on the report's input written beside it.
function generate (kelvodsp, dir, designs)
  tcl = fullfile (dir, "report.tcl");
  fid = fopen (tcl, "w");
  for k = 1:rows (designs)
    [name, sw] = designs{k, :};
    sim = regexprep (sw, "-seed \\d+", "");
    fprintf (fid, "rcosflt %s -project -nosubdir -report -name %s -outdir {%s}\n", sw, name, dir);
    fprintf (fid, "set f [open {%s/%s.dict} w]; dict for {k v} [rcosflt::Report %s] {puts $f \"$k $v\"}; close $f\n",
             dir, name, sw);
    fprintf (fid, "set f [open {%s/%s.x}]; set x [read $f]; close $f\n", dir, name);
    fprintf (fid, "set f [open {%s/%s.y} w]; puts $f [rcosflt::Simulate %s -input $x]; close $f\n", dir, name, sim);
  endfor
  fclose (fid);
  if (system (sprintf ("cd '%s' && '%s' '%s' > report.log 2>&1", dir, kelvodsp, tcl)) != 0)
    error ("run_report_check: kelvodsp failed, see %s", fullfile (dir, "report.log"));
  endif
endfunction

## xorshift64 (13, 7, 17) from seed XOR 0x9E3779B97F4A7C15; each sample the top
## ibits of a draw minus 2^(ibits-1).
function x = xorshift_input (seed, ibits, n)
  s = bitxor (typecast (int64 (seed), "uint64"), uint64 (0x9E3779B97F4A7C15));
  x = zeros (1, n);
  for k = 1:n
    s = bitxor (s, bitshift (s, 13));
    s = bitxor (s, bitshift (s, -7));
    s = bitxor (s, bitshift (s, 17));
    x(k) = double (bitshift (s, ibits - 64)) - pow2 (ibits - 1);
  endfor
endfunction

function d = read_report (file)
  d = struct ();
  for line = strsplit (strtrim (fileread (file)), "\n")
    w = strsplit (strtrim (line{1}));
    d.(w{1}) = str2double (w(2:end));
  endfor
endfunction

function msg = check_design (dir, name, p)
  msg = "";
  r = read_report (fullfile (dir, [name ".dict"]));
  text = fileread (fullfile (dir, [name "_script.m"]));
  designed = str2num (regexp (text, 'doubleCoefs=\[([^\]]*)\]', "tokens", "once"){1});
  N = numel (designed);
  ratio = p.fs / p.fd;
  B = p.cbits;
  q = floor (designed * pow2 (B - 1) + 0.5);
  if (strcmp (p.no_mults, "yes"))
    applied = kw_pow2_pair (q, B);
  else
    applied = q / pow2 (B - 1);
  endif
  core = fileread (fullfile (dir, [name ".m"]));
  qout = kw_declared_format (core, "qout");
  want = struct ("taps", N, "nonzero_taps", nnz (applied), "format_in", kw_declared_format (core, "qin"),
                 "format_coef", kw_declared_format (core, "qcoef"), "format_mult", kw_declared_format (core, "qmult"),
                 "format_out", qout, "peak_tap_bits", peak_bits (applied * pow2 (B - 1)),
                 "tap_error_lsb", max (abs (applied - designed)) * pow2 (B - 1));
  [want.passband_ripple_db, want.stopband_db] = bands (applied, ratio, p.r_val);
  [want.passband_ripple_db_designed, want.stopband_db_designed] = bands (designed, ratio, p.r_val);
  want.isi_db = isi (applied, ratio, strcmp (p.type, "sqrt"));
  want.ideal_deviation_db = ideal_deviation (designed, ratio, p.r_val, strcmp (p.type, "sqrt"));
  [want.max_error_lsb, want.sqnr_db, lat, arith] = measured_error (dir, name, p, designed, applied, qout);
  want.latency_calls = lat;
  for f = fieldnames (want).'
    tol = ifelse_ (any (strcmp (f{1}, {"taps", "nonzero_taps", "peak_tap_bits", "latency_calls"})) || f{1}(1) == "f",
                   0, 2e-3);
    if (! isfield (r, f{1}) || numel (r.(f{1})) != numel (want.(f{1}))
        || any (abs (r.(f{1}) - want.(f{1})) > tol))
      msg = sprintf ("%s: report %s, independent %s", f{1}, mat2str (getfield_or (r, f{1})),
                     mat2str (want.(f{1}), 8));
      return;
    endif
  endfor
  ## The core's own arithmetic error (against its applied taps) stays within the bound.
  if (arith > r.error_bound_lsb + 1e-9)
    msg = sprintf ("arithmetic error %g output LSB above error_bound_lsb %g", arith, r.error_bound_lsb);
  endif
  report_file = fileread (fullfile (dir, [name "_report.txt"]));
  if (isempty (strfind (report_file, sprintf ("sqnr_db                      %.4f", r.sqnr_db))))
    msg = "the -report file does not carry the dict's sqnr_db";
  endif
endfunction


function b = peak_bits (v)
  b = 1;
  while (any (v < -pow2 (b - 1) | v > pow2 (b - 1) - 1))
    b += 1;
  endwhile
endfunction

## freqz on M+1 equally spaced frequencies over [0, Fs/2] (M the power of two of at
## least 16 N) and the two band edges, in units of Fd; dB relative to 0 Hz.
function [ripple, stop] = bands (h, ratio, R)
  M = pow2 (nextpow2 (16 * numel (h)));
  f = [linspace(0, ratio / 2, M + 1), (1 - R) / 2, (1 + R) / 2];
  H = abs (freqz (h, 1, f, ratio));
  db = 20 * log10 (H / abs (sum (h)));
  pass = db(f <= (1 - R) / 2 + 1e-12);
  ripple = max (pass) - min (pass);
  stop = max (db(f >= (1 + R) / 2 - 1e-12));
endfunction

function v = isi (h, ratio, root)
  if (root)
    h = conv (h, h);
  endif
  n = numel (h);
  c = (n + 1) / 2;
  at = [fliplr(c - ratio:-ratio:1), c + ratio:ratio:n];
  v = 20 * log10 (sqrt (sum (h(at) .^ 2)) / abs (h(c)));
endfunction

function v = ideal_deviation (h, ratio, R, root)
  N = numel (h);
  t = ((0:N - 1) - (N - 1) / 2) / ratio;
  g = zeros (1, N);
  for k = 1:N
    g(k) = textbook (t(k), R, root);
  endfor
  v = 20 * log10 (max (abs (h / max (abs (h)) - g / max (abs (g)))));
endfunction

function g = textbook (t, R, root)
  if (! root)
    if (abs (t) < 1e-9)
      g = 1;
    elseif (abs (abs (t) - 1 / (2 * R)) < 1e-9)
      g = pi / 4 * sinc (1 / (2 * R));
    else
      g = sinc (t) * cos (pi * R * t) / (1 - (2 * R * t) ^ 2);
    endif
  else
    if (abs (t) < 1e-9)
      g = 1 - R + 4 * R / pi;
    elseif (abs (abs (t) - 1 / (4 * R)) < 1e-9)
      g = R / sqrt (2) * ((1 + 2 / pi) * sin (pi / (4 * R)) + (1 - 2 / pi) * cos (pi / (4 * R)));
    else
      g = (sin (pi * t * (1 - R)) + 4 * R * t * cos (pi * t * (1 + R))) / (pi * t * (1 - (4 * R * t) ^ 2));
    endif
  endif
endfunction

## The simulator's outputs on the report's input against filter() of the same input
## (zero-stuffed, interleaved) with the designed taps, at the latency that fits best;
## and the largest error against the applied taps, the arithmetic's share.
function [maxerr, sqnr, lat, arith] = measured_error (dir, name, p, designed, applied, qout)
  x = sscanf (fileread (fullfile (dir, [name ".x"])), "%f").' * pow2 (-p.ifbits);
  y = sscanf (fileread (fullfile (dir, [name ".y"])), "%f").' * pow2 (-qout(2));
  ratio = p.fs / p.fd;
  if (strcmp (p.fs_flag, "no"))
    x(mod (1:numel (x), ratio) != 0) = 0;
  endif
  ch = p.number_of_channels;
  spread = @(h) kron (h, [1 zeros(1, ch - 1)])(1:ch * (numel (h) - 1) + 1);
  ref = filter (spread (designed), 1, x);
  exact = filter (spread (applied), 1, x);
  best = Inf;
  for d = 0:4
    e = max (abs (y(1 + d:end) - ref(1:end - d)));
    if (e < best)
      best = e;
      lat = d;
    endif
  endfor
  err = y(1 + lat:end) - ref(1:end - lat);
  maxerr = max (abs (err)) * pow2 (qout(2));
  sqnr = 10 * log10 (sum (ref(1:end - lat) .^ 2) / sum (err .^ 2));
  arith = max (abs (y(1 + lat:end) - exact(1:end - lat))) * pow2 (qout(2));
endfunction

function v = getfield_or (s, key)
  v = [];
  if (isfield (s, key))
    v = s.(key);
  endif
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction
