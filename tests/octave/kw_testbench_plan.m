## The -project runs whose testbenches the testbench test executes: a pairwise
## covering design over response type, rate ratio, input rate, channel count,
## structure and output width, written as one kelvodsp script.

## -*- texinfo -*-
## @deftypefn {} {@var{cases} =} kw_testbench_plan ()
## @deftypefnx {} {@var{cases} =} kw_testbench_plan (@var{dir})
## The testbench cases: struct array with @code{name} and @code{switches} (the
## rcosflt switches, without -project and the naming ones), and the design values
## @code{type}, @code{ratio}, @code{fsflag}, @code{ch}, @code{structure},
## @code{obits}.  With @var{dir}, also write @var{dir}/generate.tcl, which
## generates every case with -project into @var{dir}/NAME/ (core NAME.m, testbench
## NAME_script.m, kw_psd.m), and @var{dir}/cases.txt with one name per line.
## @end deftypefn

function cases = kw_testbench_plan (dir)
  types = {"normal", "sqrt"};
  structures = {"DP", "TP", "DS", "TS"};
  outputs = {"auto", "16 13"};
  levels = [2 7 2 3 4 2];
  ## Several channels need the input at the output rate and are refused with the
  ## shared transposed form.
  allowed = @(r) ! ((r(3) == 2 || r(5) == 4) && r(4) > 1);
  design = kw_covering_design (levels, allowed);
  rolloffs = [0.25 0.5 0.35 1 0.15];
  cases = struct ([]);
  for k = 1:rows (design)
    d = design(k, :);
    c.type = types{d(1)};
    c.ratio = d(2) + 1;
    c.fsflag = ifelse_ (d(3) == 2, "no", "yes");
    c.ch = d(4);
    c.structure = structures{d(5)};
    c.obits = outputs{d(6)};
    ob = strsplit (c.obits);
    c.name = sprintf ("tb%02d_%s_%s_r%d_c%d%s%s", k, ifelse_ (d(1) == 2, "rrc", "rc"),
                      c.structure, c.ratio, c.ch, ifelse_ (d(3) == 2, "_fsno", ""),
                      ifelse_ (d(6) == 2, "_fixed", ""));
    c.switches = sprintf (["-fs %d -fd 1 -r_val %g -type %s -fs_flag %s -delay %d " ...
                           "-number_of_channels %d -form %s -resource_shared %s " ...
                           "-no_mults %s -obits %s -ofbits %s"],
                          c.ratio, rolloffs(mod (k, 5) + 1), c.type, c.fsflag,
                          1 + mod (k, 3), c.ch,
                          ifelse_ (c.structure(1) == "T", "Transposed", "Direct"),
                          ifelse_ (c.structure(2) == "S", "yes", "no"),
                          ifelse_ (mod (k, 4) == 3, "yes", "no"), ob{1}, ob{end});
    cases = [cases c];
  endfor
  ## Rates in real units: the sizes and indices of the script must still be whole.
  c = cases(end);
  [c.type, c.ratio, c.fsflag, c.ch, c.structure, c.obits] = deal ("sqrt", 3, "no", 1, "DP", "auto");
  c.name = sprintf ("tb%02d_rrc_DP_r3_c1_fsno_units", numel (cases) + 1);
  c.switches = ["-fs 3000 -fd 1000 -r_val 0.3 -type sqrt -fs_flag no -delay 2 " ...
                "-number_of_channels 1 -form Direct -resource_shared no -obits auto"];
  cases(end+1) = c;
  if (nargin > 0)
    write_script (dir, cases);
  endif
endfunction

function write_script (dir, cases)
  fid = fopen (fullfile (dir, "generate.tcl"), "w");
  for c = cases
    fprintf (fid, "rcosflt %s -project -nosubdir -name %s -outdir {%s}\n", c.switches, c.name,
             fullfile (dir, c.name));
  endfor
  fclose (fid);
  fid = fopen (fullfile (dir, "cases.txt"), "w");
  fprintf (fid, "%s\n", cases.name);
  fclose (fid);
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction

## Both types, every ratio, both input rates, 1 to 3 channels, every structure and
## both output kinds appear; channels stay at one where they must.
%!test
%! c = kw_testbench_plan ();
%! assert (all (ismember ({"normal", "sqrt"}, {c.type})));
%! assert (all (ismember (2:8, [c.ratio])));
%! assert (all (ismember ({"yes", "no"}, {c.fsflag})));
%! assert (all (ismember (1:3, [c.ch])));
%! assert (all (ismember ({"DP", "TP", "DS", "TS"}, {c.structure})));
%! assert (all (ismember ({"auto", "16 13"}, {c.obits})));
%! assert (all ([c(strcmp ({c.fsflag}, "no") | strcmp ({c.structure}, "TS")).ch] == 1));
%! assert (numel (c) <= 35);
