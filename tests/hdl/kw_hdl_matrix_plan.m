## The cores whose Verilog the hdl matrix co-simulates with their MATLAB cores: a pairwise
## covering design over the structure and word-length dimensions of the generator, and given
## coefficient sets of the other symmetry classes for kw_write_core.

## -*- texinfo -*-
## @deftypefn {} {[@var{cores}, @var{sets}] =} kw_hdl_matrix_plan ()
## @var{cores}: one struct per designed core, generated with @code{rcosflt}; fields
## @code{name}, @code{switches} (the generator's arguments), @code{form}
## (@qcode{"Direct"} or @qcode{"Transposed"}), @code{shared}, @code{multfree}, @code{ch},
## @code{zerostuff}, @code{ratio}, @code{trunc}, @code{type}, @code{ibits}, @code{cbits},
## @code{N} and @code{axis} (AXI4-Stream ports).
##
## @var{sets}: given coefficient sets, fields @code{name} and @code{args} (the arguments of
## kw_write_core without @code{--out} and @code{--verilog}).
## @end deftypefn

function [cores, sets] = kw_hdl_matrix_plan ()
  cores = [designed_cores() output_mode_cores() shiftadd_cores() multiplier_cores()];
  sets = coefficient_sets ();
endfunction

## The output's rounding and overflow modes, every one on some structure, and full-range
## coefficients: a one-integer-bit output that drops three fraction bits, so the random
## vectors meet ties and the worst-case ones overflow.
function c = output_mode_cores ()
  ##        form          shared multfree ch zerostuff ratio round         overflow    scale
  rowsdef = {"Direct",     false, false,   1, false,    2,   "round",      "saturate", "unity"
             "Transposed", false, false,   1, false,    3,   "convergent", "saturate", "max"
             "Direct",     true,  false,   1, false,    4,   "nearest",    "wrap",     "unity"
             "Transposed", true,  false,   1, false,    2,   "ceil",       "saturate", "unity"
             "Direct",     false, true,    1, false,    2,   "fix",        "saturate", "unity"
             "Transposed", true,  false,   1, true,     4,   "floor",      "saturate", "max"
             "Direct",     false, false,   2, false,    2,   "convergent", "wrap",     "max"};
  c = struct ([]);
  for k = 1:rows (rowsdef)
    [form, shared, multfree, ch, zerostuff, ratio, rounding, overflow, scale] = rowsdef{k, :};
    e = struct ("form", form, "shared", shared, "multfree", multfree, "ch", ch, "zerostuff", zerostuff,
                "ratio", ratio, "trunc", 0, "type", "sqrt", "ibits", 10, "cbits", 10, "N", 1 + 2 * ratio,
                "axis", false);
    e.name = sprintf ("q%02d_%s%s%s_%s_%s_%s", k, form(1), ifelse_ (shared, "S", "P"),
                      ifelse_ (multfree, "mf", ""), rounding(1:3), overflow(1:3), scale);
    e.switches = sprintf (["-fs %d -fd 1 -r_val 0.35 -type sqrt -fs_flag %s -delay 1 -ibits 10 " ...
                           "-ifbits 9 -cbits 10 -form %s -resource_shared %s -number_of_channels %d " ...
                           "-obits 16 -ofbits 15 -no_mults %s -output_round %s -output_overflow %s " ...
                           "-coef_scale %s"],
                          ratio, ifelse_ (zerostuff, "no", "yes"), form, ifelse_ (shared, "yes", "no"), ch,
                          ifelse_ (multfree, "yes", "no"), rounding, overflow, scale);
    c = [c e];
  endfor
endfunction

## Shift-add products (-hdl_products shiftadd) on every fully parallel structure: the 33-tap RRC
## reference core, channels, truncation (floored negative products), a narrow and a 32-bit
## input with 20-bit coefficients, a 25-tap core of 16-bit coefficients whose graph the bounded
## search chooses (the shallowest of equally small ones; an 8-bit input keeps its products'
## proofs to seconds, a 16-bit one takes minutes), and the transposed polyphase interpolator
## (symbols in), whose symbol's products all come from the graph. (The direct interpolator's
## coefficients change with the phase: it keeps multipliers.)
function c = shiftadd_cores ()
  ##      form          multfree ch zerostuff ratio delay trunc type     R     ibits ifbits cbits
  plan = {"Transposed", false,   1, false,    4,    4,    0,    "sqrt",  0.35, 12,   11,    14
          "Transposed", true,    2, false,    3,    2,    2,    "normal", 0.22, 16,  15,    16
          "Transposed", false,   3, false,    2,    2,    1,    "normal", 0.5,  10,  6,     8
          "Transposed", false,   1, false,    8,    1,    1,    "sqrt",  0.35, 32,   28,    20
          "Transposed", false,   1, false,    2,    6,    0,    "normal", 0.5,  8,   0,     16
          "Direct",     false,   1, false,    2,    3,    3,    "normal", 1,    10,  6,     8
          "Direct",     true,    1, false,    5,    1,    0,    "sqrt",  0.1,  12,   11,    12
          "Transposed", false,   1, true,     4,    4,    0,    "sqrt",  0.35, 12,   11,    14
          "Transposed", true,    1, true,     3,    2,    1,    "normal", 0.5,  10,  6,     8};
  c = struct ([]);
  for k = 1:rows (plan)
    [form, multfree, ch, zerostuff, ratio, delay, trunc, type, R, ibits, ifbits, cbits] = plan{k, :};
    e.form = form;
    e.shared = false;
    e.axis = false;
    e.multfree = multfree;
    e.ch = ch;
    e.zerostuff = zerostuff;
    e.ratio = ratio;
    e.trunc = trunc;
    e.type = type;
    e.ibits = ibits;
    e.cbits = cbits;
    e.N = 1 + 2 * delay * ratio;
    e.name = sprintf ("s%02d_%sP%s_c%d_r%d%s_sa", k, form(1), ifelse_ (multfree, "mf", ""), ch, ratio,
                      ifelse_ (zerostuff, "_zs", ""));
    e.switches = sprintf (["-fs %d -fd 1 -r_val %g -type %s -fs_flag %s -delay %d -ibits %d -ifbits %d " ...
                           "-cbits %d -trunc %d -form %s -resource_shared no -number_of_channels %d " ...
                           "-no_mults %s -hdl_products shiftadd"],
                          ratio, R, type, ifelse_ (zerostuff, "no", "yes"), delay, ibits, ifbits, cbits, trunc,
                          form, ch, ifelse_ (multfree, "yes", "no"));
    c = [c e];
  endfor
endfunction

## Several multipliers side by side (-hdl_multipliers) through the shell: the 33-tap RRC reference
## core (r = 4) and a 49-tap one (r = 8) on each resource-shared structure, at the sample and at
## the symbol rate, multiplier-free, with truncated products and with AXI4-Stream ports.
function c = multiplier_cores ()
  ##      form          multfree zerostuff ratio trunc M  axis
  plan = {"Direct",     false,   false,    4,    0,    2, false
          "Direct",     false,   false,    8,    0,    8, false
          "Transposed", false,   false,    4,    0,    3, true
          "Transposed", false,   false,    4,    3,    4, false
          "Direct",     true,    false,    4,    0,    5, false
          "Direct",     false,   true,     4,    0,    3, false
          "Transposed", false,   true,     8,    2,    7, true
          "Transposed", true,    true,     4,    0,    2, false};
  c = struct ([]);
  for k = 1:rows (plan)
    [form, multfree, zerostuff, ratio, trunc, lanes, axis] = plan{k, :};
    e.form = form;
    e.shared = true;
    e.axis = axis;
    e.multfree = multfree;
    e.ch = 1;
    e.zerostuff = zerostuff;
    e.ratio = ratio;
    e.trunc = trunc;
    e.type = "sqrt";
    e.ibits = 12;
    e.cbits = 14;
    delay = ifelse_ (ratio == 8, 3, 4);
    e.N = 1 + 2 * delay * ratio;
    e.name = sprintf ("m%02d_%sS%s_r%d%s_m%d", k, form(1), ifelse_ (multfree, "mf", ""), ratio,
                      ifelse_ (zerostuff, "_zs", ""), lanes);
    e.switches = sprintf (["-fs %d -fd 1 -r_val 0.35 -type sqrt -fs_flag %s -delay %d -ibits 12 -ifbits 11 " ...
                           "-cbits 14 -trunc %d -form %s -resource_shared yes -no_mults %s -hdl_multipliers %d%s"],
                          ratio, ifelse_ (zerostuff, "no", "yes"), delay, trunc, form,
                          ifelse_ (multfree, "yes", "no"), lanes, ifelse_ (axis, " -hdl_stream axis", ""));
    c = [c e];
  endfor
endfunction

## ibits ifbits cbits obits ofbits (NaN = auto): the defaults, a narrow output that wraps,
## 32-bit input, 32-bit input with 20-bit coefficients (whose product format exceeds 53 bits
## and gives up fraction bits), and a fixed output.
function w = width_profiles ()
  w = [16 15 16 NaN NaN
       10  6  8   9   8
       32 30 14 NaN NaN
       32 28 20 NaN NaN
       12  9 12  20 NaN];
endfunction

function c = designed_cores ()
  forms = {"Direct", "Transposed"};
  widths = width_profiles ();
  ## form shared multfree channels zerostuff ratio trunc type widths
  levels = [2 2 2 3 2 7 2 2 rows(widths)];
  ## Zero-stuffing and the shared transposed form take one channel (the generator refuses more).
  allowed = @(r) ! ((r(5) == 2 || (r(1) == 2 && r(2) == 2)) && r(4) > 1);
  design = kw_covering_design (levels, allowed);
  rolloffs = [0.22 0.35 0.5 1 0.1];
  c = struct ([]);
  for k = 1:rows (design)
    d = design(k, :);
    e.form = forms{d(1)};
    e.shared = d(2) == 2;
    e.multfree = d(3) == 2;
    e.ch = d(4);
    e.zerostuff = d(5) == 2;
    e.ratio = d(6) + 1;
    w = widths(d(9), :);
    [e.ibits, ifbits, e.cbits, obits, ofbits] = deal (w(1), w(2), w(3), w(4), w(5));
    truncs = [1 3 e.cbits-1];
    e.trunc = (d(7) == 2) * truncs(mod (k, 3) + 1);
    e.type = ifelse_ (d(8) == 2, "sqrt", "normal");
    delay = 1 + mod (k, ifelse_ (e.ratio <= 5, 3, 2));
    e.N = 1 + 2 * delay * e.ratio;
    e.name = sprintf ("h%02d_%s%s%s_c%d_r%d%s", k, e.form(1), ifelse_ (e.shared, "S", "P"),
                      ifelse_ (e.multfree, "mf", ""), e.ch, e.ratio, ifelse_ (e.zerostuff, "_zs", ""));
    e.switches = sprintf (["-fs %d -fd 1 -r_val %g -type %s -fs_flag %s -delay %d -ibits %d " ...
                           "-ifbits %d -cbits %d -trunc %d -form %s -resource_shared %s " ...
                           "-number_of_channels %d -obits %s -ofbits %s -no_mults %s"],
                          e.ratio, rolloffs(mod (k, 5) + 1), e.type, ifelse_ (e.zerostuff, "no", "yes"),
                          delay, e.ibits, ifbits, e.cbits, e.trunc, e.form,
                          ifelse_ (e.shared, "yes", "no"), e.ch, width_text (obits), width_text (ofbits),
                          ifelse_ (e.multfree, "yes", "no"));
    ## Every ninth core with AXI4-Stream ports, through the shell's option.
    e.axis = mod (k, 9) == 0;
    if (e.axis)
      e.switches = [e.switches " -hdl_stream axis"];
    endif
    c = [c e];
  endfor
endfunction

## Class 0 (no symmetry) and class -1 (pairs exactly opposite: folded with the mirrored half
## subtracted; pairs mixing equal and opposite: unfolded) on every structure, with and
## without multipliers, channels, zero-stuffing (polyphase) and truncation; 32-bit input
## sets with 20-bit coefficients; AXI4-Stream cores (--stream axis) of every structure; one
## symmetric set whose shared transposed core, with multipliers and exact products, joins its
## mirror pairs before the product.
function s = coefficient_sets ()
  rand ("seed", 11);
  q0 = @(n, b) round ((rand (1, n) * 2 - 1) * pow2 (b - 3));
  none = q0 (13, 12);
  half = q0 (6, 10);
  anti = [half 77 -fliplr(half)];
  mixed = [half 77 fliplr(half) .* [1 -1 1 -1 1 -1]];
  wide = [q0(4, 20) 300001 q0(4, 20)];
  sym = [half 77 fliplr(half)];
  ##        name            structure        q      cbits  other arguments
  rowsdef = {"g0_DP_c2",    "direct",        none,  12, "--channels 2 --trunc 2"
             "g0_DPmf_zs",  "direct",        none,  12, "--multfree --zero-stuffing --ratio 3"
             "g0_TP_c3",    "transposed",    none,  12, "--channels 3"
             "g0_TPmf",     "transposed",    none,  12, "--multfree --trunc 1"
             "g0_DS_zs",    "direct",        none,  12, "--shared --zero-stuffing --ratio 4 --trunc 3"
             "g0_DSmf_c2",  "direct",        none,  12, "--shared --multfree --channels 2"
             "g0_TS",       "transposed",    none,  12, "--shared"
             "g0_TSmf_zs",  "transposed",    none,  12, "--shared --multfree --zero-stuffing --ratio 8"
             "ga_DPmf_c2",  "direct",        anti,  10, "--multfree --channels 2"
             "ga_TP_zs",    "transposed",    anti,  10, "--zero-stuffing --ratio 5 --trunc 2"
             "ga_DS_c3",    "direct",        anti,  10, "--shared --channels 3"
             "ga_TSmf",     "transposed",    anti,  10, "--shared --multfree"
             "gm_DP",       "direct",        mixed, 10, ""
             "gm_TPmf_c2",  "transposed",    mixed, 10, "--multfree --channels 2"
             "gm_DSmf",     "direct",        mixed, 10, "--shared --multfree"
             "gm_TS",       "transposed",    mixed, 10, "--shared"
             "gw_TP_32",    "transposed",    wide,  20, "--ibits 32 --ifbits 31"
             "gw_DS_32",    "direct",        wide,  20, "--shared --ibits 32 --ifbits 31"
             "gw_DPmf_zs",  "direct",        wide,  20, "--multfree --zero-stuffing --ratio 3 --ibits 32 --ifbits 31 --trunc 7"
             "ga_TPmf_zs",  "transposed",    anti,  10, "--multfree --zero-stuffing --ratio 2"
             "ga_TS_zs",    "transposed",    anti,  10, "--shared --zero-stuffing --ratio 6"
             "ga_DS_zs",    "direct",        anti,  10, "--shared --zero-stuffing --ratio 3 --trunc 1"
             "gm_DP_zs",    "direct",        mixed, 10, "--zero-stuffing --ratio 5"
             "x_DP_c2",     "direct",        none,  12, "--channels 2 --stream axis"
             "x_TSmf_zs",   "transposed",    none,  12, "--shared --multfree --zero-stuffing --ratio 4 --stream axis"
             "x_DS_c3",     "direct",        anti,  10, "--shared --channels 3 --stream axis --ibits 13 --ifbits 10"
             "x_TP_zs",     "transposed",    mixed, 10, "--zero-stuffing --ratio 3 --stream axis"
             "gs_TS",       "transposed",    sym,   10, "--shared"
             "ga_TP_sa",    "transposed",    anti,  10, "--products shiftadd --trunc 2"
             "g0_DP_sa_c2", "direct",        none,  12, "--products shiftadd --trunc 1 --channels 2"
             "gm_TPmf_sa",  "transposed",    mixed, 10, "--products shiftadd --multfree --trunc 1"
             "ga_TP_zs_sa", "transposed",    anti,  10, "--products shiftadd --zero-stuffing --ratio 3 --trunc 2"
             "g0_DS_m13",   "direct",        none,  12, "--shared --channels 2 --multipliers 13"
             "g0_TS_m2",    "transposed",    none,  12, "--shared --multipliers 2"
             "ga_TS_m13",   "transposed",    anti,  10, "--shared --trunc 2 --multipliers 13"
             "gs_TS_m7",    "transposed",    sym,   10, "--shared --multipliers 7"
             "ga_DSmf_m4",  "direct",        anti,  10, "--shared --multfree --channels 3 --multipliers 4"
             "gm_TSmf_m5",  "transposed",    mixed, 10, "--shared --multfree --multipliers 5"
             "g0_DS_zs_m4", "direct",        none,  12, "--shared --zero-stuffing --ratio 3 --multipliers 4 --stream axis"
             "ga_TS_zs_m2", "transposed",    anti,  10, "--shared --zero-stuffing --ratio 2 --trunc 1 --multipliers 2"
             "gw_DS_32_m3", "direct",        wide,  20, "--shared --ibits 32 --ifbits 31 --multipliers 3"};

  s = struct ([]);
  for k = 1:rows (rowsdef)
    [name, form, q, cbits, other] = rowsdef{k, :};
    if (isempty (strfind (other, "--ibits")))
      other = ["--ibits 12 --ifbits 10 " other];
    endif
    args = sprintf ("--name %s --q %s --cbits %d --form %s %s", name,
                    strjoin (arrayfun (@(v) sprintf ("%d", v), q, "UniformOutput", false), ","),
                    cbits, form, other);
    s = [s struct("name", name, "args", args)];
  endfor
endfunction

function t = width_text (v)
  if (isnan (v))
    t = "auto";
  else
    t = sprintf ("%d", v);
  endif
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction

## Every structure with and without multipliers, every channel count it takes, every ratio,
## 32-bit input and 20-bit coefficients are in the designed cores; sets reach class 0 and -1;
## shift-add products reach every fully parallel structure, with and without multipliers.
%!test
%! [c, s] = kw_hdl_matrix_plan ();
%! key = strcat ({c.form}, {"P", "S"}([c.shared] + 1));
%! for v = {"DirectP", "DirectS", "TransposedP", "TransposedS"}
%!   assert (any (strcmp (key, v{1}) & [c.multfree]) && any (strcmp (key, v{1}) & ! [c.multfree]));
%! endfor
%! assert (all ([c(strcmp (key, "TransposedS") | [c.zerostuff]).ch] == 1));
%! assert (all (ismember (1:3, [c.ch])) && all (ismember (2:8, [c.ratio])));
%! assert (any ([c.ibits] == 32) && any ([c.cbits] == 20));
%! assert (any ([c.trunc] > 0) && any ([c.trunc] == 0) && all ([c.N] <= 49));
%! assert (numel (unique ([{c.name} {s.name}])), numel (c) + numel (s));
%! modes = regexp ([c.switches], "-output_round (\\w+) -output_overflow (\\w+)", "tokens");
%! modes = vertcat (modes{:});
%! assert (isempty (setxor (modes(:, 1), {"floor", "round", "nearest", "convergent", "ceil", "fix"})));
%! assert (isempty (setxor (modes(:, 2), {"wrap", "saturate"})));
%! assert (numel (strfind ([c.switches], "-coef_scale max")) >= 2);
%! sa = ! cellfun (@isempty, strfind ({c.switches}, "-hdl_products shiftadd"));
%! for v = {"DirectP", "TransposedP"}
%!   assert (any (sa & strcmp (key, v{1}) & [c.multfree]) && any (sa & strcmp (key, v{1}) & ! [c.multfree]));
%! endfor
%! assert (! any (sa & [c.shared]));
%! assert (any (sa & [c.zerostuff] & [c.multfree]) && any (sa & [c.zerostuff] & ! [c.multfree]));
%! assert (! any (sa & [c.zerostuff] & strcmp ({c.form}, "Direct")));
%! assert (! any (cellfun (@(a) numel (strfind (a, "--ibits")) > 1, {s.args})));
## Polyphase cores of every structure with and without multipliers, designed or given.
%! given = ! cellfun (@isempty, strfind ({s.args}, "--zero-stuffing"));
%! zs = [regexprep({c([c.zerostuff]).name}, '^h\d+_([A-Za-z]+)_.*', '$1') ...
%!       regexprep({s(given).name}, '^[a-z0-9]+_([A-Za-z]+)_.*', '$1')];
%! assert (all (ismember ({"DP", "DPmf", "TP", "TPmf", "DS", "DSmf", "TS", "TSmf"}, zs)));
%! axis = regexp ({s.name}, '(?<=^x_)[DT][PS]', "match", "once");
%! assert (all (ismember ({"DP", "TP", "DS", "TS"}, axis)));
%! assert (any ([c.axis] & [c.zerostuff]) && any ([c.axis] & ! [c.zerostuff]));
## Several multipliers on every shared structure, at both rates, with and without multipliers,
## M = P (one clock per output) among them.
%! lanes = regexp ([{c.switches} {s.args}], '(?<=-multipliers )\d+', "match", "once");
%! many = ! cellfun (@isempty, lanes);
%! names = [{c.name} {s.name}];
%! kinds = regexprep (names(many), '^[a-z0-9]+_([A-Za-z]+)_.*', '$1');
%! assert (all (ismember ({"DS", "TS", "DSmf", "TSmf"}, kinds)));
%! assert (any (! cellfun (@isempty, strfind (names(many), "_zs"))));
%! assert (any (strcmp (names(many), "g0_DS_m13")) && all (str2double (lanes(many)) >= 2));
