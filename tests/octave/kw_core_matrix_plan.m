## The matrix of cores that the generated-core test builds and proves: a pairwise
## covering design over the generator's structure dimensions, the combinations the
## generator must refuse, and given coefficient sets of the symmetry classes 0 and -1
## for the structure writers' direct entry (kw_write_core).

## -*- texinfo -*-
## @deftypefn {} {[@var{cores}, @var{refusals}, @var{sets}] =} kw_core_matrix_plan ()
## The cases of the generated-core matrix.
##
## @var{cores}: one struct per designed core (generated with @code{rcosflt}); fields
## @code{name}, @code{structure} (@qcode{"DP"} fully parallel direct,
## @qcode{"TP"} fully parallel transposed, @qcode{"DS"} resource-shared direct,
## @qcode{"TS"} resource-shared transposed), @code{multfree}, @code{ch},
## @code{zerostuff}, @code{ratio}, @code{trunc}, @code{type} (@qcode{"normal"} or
## @qcode{"sqrt"}), @code{ibits}, @code{ifbits}, @code{cbits}, @code{obits},
## @code{ofbits} (NaN for auto), @code{fd}, @code{R}, @code{delay}, @code{N} and
## @code{worst}, true for the cores that also take the worst-case input (a
## root-raised-cosine design whose coefficients' absolute sum exceeds 2, in every
## structure).
##
## @var{refusals}: cases the generator must refuse, with the same fields plus
## @code{message}, the text the refusal must contain.
##
## @var{sets}: given coefficient sets (struct fields as for @var{cores}, plus
## @code{q}, the integer coefficients, @code{symmetry}, the class of @code{q}, and
## @code{folded}, whether the core must be written folded: class -1 folds only when
## every mirror pair is exactly opposite, a set mixing equal and opposite pairs is
## written unfolded).  Every set must pass.
## @end deftypefn

function [cores, refusals, sets] = kw_core_matrix_plan ()
  cores = [designed_cores() worst_case_cores()];
  refusals = refused_cases ();
  sets = coefficient_sets ();
endfunction

## Word-length profiles: ibits ifbits cbits obits ofbits (NaN = auto).  They take
## in the generator defaults, fixed outputs that hold the result, a derived fraction
## length only, a narrow output that wraps, and "auto" lengths above 32 bits.
function w = width_profiles ()
  w = [16 15 16 NaN NaN
        8  7 10  12  10
       12  9 12  20 NaN
       10  6  8   9   8
       20 18 18 NaN NaN];
endfunction

function c = designed_cores ()
  structures = {"DP", "TP", "DS", "TS"};
  widths = width_profiles ();
  levels = [numel(structures) 2 3 2 7 2 2 rows(widths)];
  ## Zero-stuffing (one channel only) and the shared transposed form (refused with
  ## several channels, see refused_cases) need a single channel.
  allowed = @(r) ! ((r(4) == 2 || r(1) == 4) && r(3) > 1);
  design = kw_covering_design (levels, allowed);
  rolloffs = [0.22 0.35 0.5 1 0.1];
  rates = [1 2 0.5];
  c = struct ([]);
  for k = 1:rows (design)
    d = design(k, :);
    e.structure = structures{d(1)};
    e.multfree = d(2) == 2;
    e.ch = d(3);
    e.zerostuff = d(4) == 2;
    e.ratio = d(5) + 1;
    w = widths(d(8), :);
    [e.ibits, e.ifbits, e.cbits, e.obits, e.ofbits] = deal (w(1), w(2), w(3), w(4), w(5));
    truncs = [1 3 e.cbits-1];
    e.trunc = (d(6) == 2) * truncs(mod (k, 3) + 1);
    e.type = ifelse_ (d(7) == 2, "sqrt", "normal");
    e.fd = rates(mod (k, 3) + 1);
    e.R = rolloffs(mod (k, 5) + 1);
    e.delay = 1 + mod (k, ifelse_ (e.ratio <= 5, 3, 2));
    e.N = 1 + 2 * e.delay * e.ratio;
    e.name = sprintf ("m%02d_%s%s_c%d_r%d%s", k, e.structure, ifelse_ (e.multfree, "mf", ""),
                      e.ch, e.ratio, ifelse_ (e.zerostuff, "_zs", ""));
    e.worst = false;
    c = [c e];
  endfor
endfunction

## -type sqrt -r_val 0.05 -fs 2 -delay 15: the absolute sum of the 61 coefficients
## is above 2, so a full-scale input of the taps' signs needs a wider product format.
function c = worst_case_cores ()
  c = struct ([]);
  for st = {"DP", "TP", "DS", "TS", "DPmf"}
    e = struct ("structure", st{1}(1:2), "multfree", numel (st{1}) > 2, "ch", 1,
                "zerostuff", false, "ratio", 2, "trunc", 0, "type", "sqrt", "ibits", 16,
                "ifbits", 15, "cbits", 16, "obits", NaN, "ofbits", NaN, "fd", 1, "R", 0.05,
                "delay", 15, "N", 61, "name", ["w_" st{1}], "worst", true);
    c = [c e];
  endfor
endfunction

function c = refused_cases ()
  base = struct ("structure", "TS", "multfree", false, "ch", 2, "zerostuff", false,
                 "ratio", 4, "trunc", 0, "type", "normal", "ibits", 16, "ifbits", 15,
                 "cbits", 16, "obits", NaN, "ofbits", NaN, "fd", 1, "R", 0.5, "delay", 1,
                 "N", 9, "name", "x01_TS_c2", "worst", false, "message", "");
  shared_t = "Multi-Channel/Resource Shared Transposed form filters are not currently supported.";
  c = setfield (base, "message", shared_t);
  c(2) = base;
  [c(2).name, c(2).ch, c(2).multfree, c(2).type, c(2).ratio, c(2).N, c(2).message] = ...
      deal ("x02_TSmf_c3", 3, true, "sqrt", 7, 15, shared_t);
  c(3) = base;
  [c(3).name, c(3).obits, c(3).ofbits, c(3).trunc, c(3).message] = ...
      deal ("x03_TS_c2_fixed", 14, 12, 2, shared_t);
  c(4) = base;
  [c(4).name, c(4).structure, c(4).zerostuff, c(4).message] = ...
      deal ("x04_DP_c2_zs", "DP", true,
            "Invalid Parameter: Multiple channels are not currently supported with FsFlag equal to no.");
endfunction

## Given sets: class 0 (no symmetry) on every structure, the unfolded shared transposed
## form with one channel only (kw_write_core refuses several channels there, as the
## generator does); class -1 on every structure, as purely antisymmetric pairs with a
## non-zero middle tap (folded: the mirrored half enters with the opposite sign) and as
## mixed sets of equal and opposite pairs (written unfolded).
function s = coefficient_sets ()
  rand ("seed", 7);
  q0 = @(n, b) round ((rand (1, n) * 2 - 1) * pow2 (b - 3));
  q11 = q0 (11, 10);
  q13 = q0 (13, 12);
  half = q0 (6, 10);
  anti = [half 77 -fliplr(half)];
  mixed = [half 77 fliplr(half) .* [1 -1 1 -1 1 -1]];
  ## N = 9 at 12 bits with a zero pair and a negative middle tap.
  half2 = [q0(2, 12) 0 q0(1, 12)];
  anti2 = [half2 -301 -fliplr(half2)];
  mixed2 = [half2 -301 fliplr(half2) .* [-1 1 1 1]];
  ##        name          structure mf  ch zs    ratio trunc q      cbits sym
  rowsdef = {"s0_DP",        "DP", false, 2, false, 2, 0, q11,    10,  0
             "s0_DPmf_zs",   "DP", true,  1, true,  3, 2, q13,    12,  0
             "s0_TP_c3",     "TP", false, 3, false, 2, 0, q11,    10,  0
             "s0_TPmf_zs",   "TP", true,  1, true,  5, 0, q13,    12,  0
             "s0_DSmf_c2",   "DS", true,  2, false, 2, 0, q11,    10,  0
             "s0_DS_zs",     "DS", false, 1, true,  4, 3, q13,    12,  0
             "s0_TS",        "TS", false, 1, false, 2, 0, q11,    10,  0
             "s0_TSmf_zs",   "TS", true,  1, true,  8, 1, q13,    12,  0
             "a_DP",         "DP", false, 1, false, 2, 0, anti,   10, -1
             "a_DPmf_c2",    "DP", true,  2, false, 2, 0, anti,   10, -1
             "a_DS_zs",      "DS", false, 1, true,  6, 2, anti,   10, -1
             "a_DSmf_c3",    "DS", true,  3, false, 2, 0, anti,   10, -1
             "a_TP",         "TP", false, 1, false, 2, 0, anti,   10, -1
             "a_TPmf",       "TP", true,  1, false, 2, 0, anti,   10, -1
             "a_TS",         "TS", false, 1, false, 2, 0, anti,   10, -1
             "a_TSmf",       "TS", true,  1, false, 2, 0, anti,   10, -1
             "a2_TP_c2",     "TP", false, 2, false, 2, 2, anti2,  12, -1
             "a2_TPmf_zs",   "TP", true,  1, true,  4, 0, anti2,  12, -1
             "a2_TS_zs",     "TS", false, 1, true,  3, 0, anti2,  12, -1
             "a2_TSmf",      "TS", true,  1, false, 2, 3, anti2,  12, -1
             "mixed_DP",     "DP", false, 1, false, 2, 0, mixed,  10, -1
             "mixed_DS",     "DS", false, 1, false, 2, 0, mixed,  10, -1
             "mixed_TP",     "TP", false, 1, false, 2, 0, mixed,  10, -1
             "mixed_TS",     "TS", false, 1, false, 2, 0, mixed,  10, -1
             "mixed2_DPmf_c2", "DP", true, 2, false, 2, 0, mixed2, 12, -1
             "mixed2_DSmf_zs", "DS", true, 1, true,  5, 2, mixed2, 12, -1
             "mixed2_TPmf_c3", "TP", true, 3, false, 2, 0, mixed2, 12, -1
             "mixed2_TSmf_zs", "TS", true, 1, true,  7, 0, mixed2, 12, -1};
  s = struct ([]);
  for k = 1:rows (rowsdef)
    [name, st, mf, ch, zs, ratio, trunc, q, cbits, sym] = rowsdef{k, :};
    P = (numel (q) - 1) / 2;
    opposite = isequal (q(1:P), -fliplr (q(end-P+1:end)));
    e = struct ("name", name, "structure", st, "multfree", mf, "ch", ch, "zerostuff", zs,
                "ratio", ratio, "trunc", trunc, "type", "", "ibits", 12, "ifbits", 10,
                "cbits", cbits, "obits", NaN, "ofbits", NaN, "fd", 1, "R", 0, "delay", 0,
                "N", numel (q), "q", q, "symmetry", sym, "folded", sym == -1 && opposite);
    s = [s e];
  endfor
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction

## The design covers every structure with every channel count it supports, every
## ratio, both types, truncation on and off, and keeps one channel where required.
%!test
%! [c, x, s] = kw_core_matrix_plan ();
%! assert (sum ([c.worst]), 5);
%! c = c(! [c.worst]);
%! st = {c.structure};
%! for v = {"DP", "TP", "DS", "TS"}
%!   assert (any (strcmp (st, v{1}) & [c.multfree]) && any (strcmp (st, v{1}) & ! [c.multfree]));
%!   assert (any (strcmp (st, v{1}) & [c.zerostuff]));
%! endfor
%! for v = {"DP", "TP", "DS"}
%!   assert (all (ismember (1:3, [c(strcmp (st, v{1})).ch])));
%! endfor
%! assert (all ([c([c.zerostuff] | strcmp (st, "TS")).ch] == 1));
%! assert (all (ismember (2:8, [c.ratio])));
%! assert (any ([c.trunc] > 0) && any ([c.trunc] == 0));
%! assert (all ([c.N] <= 49) && all ([c.trunc] < [c.cbits]));
%! assert (numel (unique ({c.name})), numel (c));
%! ## Class -1 on every structure, folded (antisymmetric) and unfolded (mixed), always
%! ## with equal magnitudes in every pair and a non-zero middle tap.
%! for v = {"DP", "TP", "DS", "TS"}
%!   st = strcmp ({s.structure}, v{1}) & [s.symmetry] == -1;
%!   assert (any (st & [s.folded]) && any (st & ! [s.folded]));
%!   assert (any (st & [s.multfree]) && any (st & ! [s.multfree]));
%! endfor
%! for e = s([s.symmetry] == -1)
%!   P = (e.N - 1) / 2;
%!   assert (abs (e.q(1:P)), abs (fliplr (e.q(end-P+1:end))));
%!   assert (e.q(P + 1) != 0 && any (e.q(1:P) != 0));
%!   assert (e.folded, isequal (e.q(1:P), -fliplr (e.q(end-P+1:end))));
%!   assert (e.folded || ! isequal (e.q(1:P), fliplr (e.q(end-P+1:end))));
%! endfor
%! assert (! any ([s([s.symmetry] == 0).folded]));
