## Reads the manifest of a directory of generated cores: one core per line,
## "name N ch ratio zerostuff trunc ibits ifbits cbits obits ofbits multfree coefs".

## -*- texinfo -*-
## @deftypefn {} {@var{e} =} kw_read_manifest (@var{file})
## Parse the manifest @var{file} into a struct array, one element per core.
##
## Blank lines and lines starting with # are skipped.  zerostuff and multfree are
## yes/no (or 1/0); obits and ofbits are integers or auto (NaN in the result).
## coefs names where the tap values come from, relative to the manifest:
## @table @code
## @item q:FILE
## integer coefficients q, one per tap (value q/2^(cbits-1)); for a multiplier-free
## core each is replaced by its two-term power-of-two form (kw_pow2_pair);
## @item p2:FILE
## four integers per tap, s1 d s2 f (value s1*2^d + s2*2^f);
## @item x:FILE
## exact tap values;
## @item script
## the doubleCoefs vector of the core's testbench NAME_script.m, quantized as the
## generator does (floor(h*2^(cbits-1)+0.5)), then as for q:.
## @end table
## @end deftypefn

function e = kw_read_manifest (file)
  base = fileparts (file);
  lines = strsplit (fileread (file), "\n");
  e = struct ([]);
  for k = 1:numel (lines)
    w = strsplit (strtrim (lines{k}));
    if (isempty (w{1}) || w{1}(1) == "#")
      continue;
    endif
    if (numel (w) != 13)
      error ("kw_read_manifest: %s line %d: 13 fields expected, %d found", file, k, numel (w));
    endif
    c = struct ("name", w{1}, "N", num (w{2}), "ch", num (w{3}), "ratio", num (w{4}),
                "zerostuff", yes (w{5}), "trunc", num (w{6}), "ibits", num (w{7}),
                "ifbits", num (w{8}), "cbits", num (w{9}), "obits", num_or_auto (w{10}),
                "ofbits", num_or_auto (w{11}), "multfree", yes (w{12}), "coefs", []);
    c.coefs = coefficients (w{13}, base, c);
    e = [e c];
  endfor
endfunction

function v = num (s)
  v = str2double (s);
  if (isnan (v))
    error ("kw_read_manifest: '%s' is not a number", s);
  endif
endfunction

function v = num_or_auto (s)
  if (strcmp (s, "auto"))
    v = NaN;
  else
    v = num (s);
  endif
endfunction

function b = yes (s)
  b = any (strcmp (s, {"yes", "y", "1", "true"}));
  if (! b && ! any (strcmp (s, {"no", "n", "0", "false"})))
    error ("kw_read_manifest: '%s' is not yes or no", s);
  endif
endfunction

function c = coefficients (spec, base, e)
  [kind, rest] = strtok (spec, ":");
  path = fullfile (base, rest(2:end));
  switch (kind)
    case "q"
      c = from_integers (load_numbers (path, 1), e);
    case "p2"
      v = load_numbers (path, 4);
      c = v(:, 1) .* pow2 (v(:, 2)) + v(:, 3) .* pow2 (v(:, 4));
    case "x"
      c = load_numbers (path, 1);
    case "script"
      text = fileread (fullfile (base, [e.name "_script.m"]));
      tok = regexp (text, 'doubleCoefs=\[([^\]]*)\]', "tokens", "once");
      if (isempty (tok))
        error ("kw_read_manifest: no doubleCoefs in %s_script.m", e.name);
      endif
      h = str2num (["[" tok{1} "]"]);
      c = from_integers (floor (h(:) * pow2 (e.cbits - 1) + 0.5), e);
    otherwise
      error ("kw_read_manifest: unknown coefficient source '%s'", spec);
  endswitch
  c = c(:).';
endfunction

function c = from_integers (q, e)
  if (e.multfree)
    c = kw_pow2_pair (q, e.cbits);
  else
    c = q / pow2 (e.cbits - 1);
  endif
endfunction

function v = load_numbers (path, cols)
  v = load ("-ascii", path);
  if (columns (v) != cols)
    error ("kw_read_manifest: %s: %d numbers per line expected", path, cols);
  endif
endfunction

%!test
%! e = kw_read_manifest (fullfile (fileparts (which ("kw_read_manifest")), "fixtures", "manifest.txt"));
%! assert ({e.name}, {"fx_direct5", "fx_transp9c2", "fx_shared_mf_zs"});
%! assert ([e.ch; e.zerostuff; e.multfree; e.trunc], [1 2 1; 0 0 1; 0 0 1; 0 0 3]);
%! assert (e(1).coefs, [0 35 58 35 0] / 128);
%! assert (e(3).coefs * 512, [0 30 68 96 112 96 68 30 0]);
