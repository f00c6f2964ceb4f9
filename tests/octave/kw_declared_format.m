## -*- texinfo -*-
## @deftypefn {} {@var{f} =} kw_declared_format (@var{text}, @var{name})
## The [word fraction] format of the quantizer that the core text @var{text} declares as
## @var{name} (for example "qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );").
## @end deftypefn

function f = kw_declared_format (text, name)
  tok = regexp (text, ['(?m)^\s*' name '\s*=\s*quantizer\s*\(([^;]*)\)\s*;'], "tokens", "once");
  args = eval (["{" tok{1} "}"]);
  q = quantizer (args{:});
  f = q.format;
endfunction

%!assert (kw_declared_format ("x = 1;\nqout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );\n", "qout"), [27 24])
