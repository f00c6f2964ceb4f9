## Reads what a generated KelvoWare raised-cosine core says about itself: the parameter
## values of its header comments and the formats of its four quantizers.  The text is only
## matched, never evaluated.

## -*- texinfo -*-
## @deftypefn {} {@var{p} =} kw_core_parameters (@var{file})
## Parameters of the core in @var{file}.
##
## @var{p}.values holds each header parameter's "value used" text by name (fs, fd,
## fs_flag, cbits, trunc, number_of_channels, no_mults, ...); it is empty for a core
## written without its banner.  @var{p}.qin, @var{p}.qout, @var{p}.qmult and
## @var{p}.qcoef each hold @code{words} (the quoted mode words, in order) and
## @code{format} ([word length, fraction length]).  A missing declaration is an error.
## @var{p}.options holds the words of the core's options line (@code{% options: ...}), the
## arithmetic switches it was made with, or nothing.
## @end deftypefn

function p = kw_core_parameters (file)
  text = fileread (file);
  p = struct ("values", struct (), "options", {{}});
  opts = regexp (text, '(?m)^%\s*options:([^\n]*)$', "tokens", "once");
  if (! isempty (opts))
    p.options = strsplit (strtrim (opts{1}));
  endif
  tok = regexp (text, '(?m)^%\s+(\w+):[^\n]*\n%\s*value used "([^"\n]*)"', "tokens");
  for k = 1:numel (tok)
    p.values.(tok{k}{1}) = tok{k}{2};
  endfor
  for name = {"qin", "qout", "qmult", "qcoef"}
    decl = regexp (text, ['(?m)^\s*' name{1} '\s*=\s*quantizer\s*\(([^;\n]*)\)\s*;'],
                   "tokens", "once");
    if (isempty (decl))
      error ("kw_core_parameters: %s declares no quantizer %s", file, name{1});
    endif
    words = regexp (decl{1}, "'([^']*)'", "tokens");
    format = regexp (decl{1}, '\[\s*(-?\d+)\s+(-?\d+)\s*\]', "tokens", "once");
    if (isempty (format))
      error ("kw_core_parameters: %s gives quantizer %s no [word fraction] format",
             file, name{1});
    endif
    p.(name{1}) = struct ("words", {[words{:}]}, "format", str2double (format)(:).');
  endfor
endfunction

%!error <declares no quantizer qin> kw_core_parameters ("/dev/null")
