## -*- texinfo -*-
## @deftypefn {} {@var{y} =} kw_run_core (@var{dir}, @var{name}, @var{x})
## Call the generated core @var{name} of directory @var{dir} once per input sample of
## @var{x}, from a freshly loaded core (its persistent state cleared before and after), and
## return its outputs, one per call.
## @end deftypefn

function y = kw_run_core (dir, name, x)
  back = pwd ();
  cd (dir);
  unwind_protect
    clear (name);            # fresh persistent state
    f = str2func (name);
    y = zeros (size (x));
    for k = 1:numel (x)
      y(k) = f (x(k));
    endfor
  unwind_protect_cleanup
    clear (name);
    cd (back);
  end_unwind_protect
endfunction

%!test
%! d = tempname (); mkdir (d);
%! fid = fopen (fullfile (d, "kw_acc_core.m"), "w");
%! fputs (fid, "function y = kw_acc_core (x)\npersistent s; if isempty (s) s = 0; end\ns += x; y = s;\n");
%! fclose (fid);
%! assert (kw_run_core (d, "kw_acc_core", [1 2 3]), [1 3 6]);
%! assert (kw_run_core (d, "kw_acc_core", [1 2 3]), [1 3 6]);   # state starts afresh
%! confirm_recursive_rmdir (false, "local"); rmdir (d, "s");
