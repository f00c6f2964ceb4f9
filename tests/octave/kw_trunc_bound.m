## Bound on how far a truncating core's output may lie from the exact filter's.

## -*- texinfo -*-
## @deftypefn {} {@var{b} =} kw_trunc_bound (@var{nfloor}, @var{fm}, @var{fo})
## Largest possible |core - exact| for one output sample.
##
## @var{nfloor} is the number of floor operations to the product format on the path
## of one output sample, @var{fm} the product format's fraction length and @var{fo}
## the output's.  Each such floor loses less than 2^-fm, sums of values already on
## the product grid are exact, and the final floor
## to the output format adds less than 2^-fo on either side.  Hence
## b = nfloor * 2^-fm + 2^-fo.  A pre-added pair of inputs is exact in the product
## format (its grid is at least as fine as the input's and it has one more integer
## bit), so a core floors once per tap at most and N is a safe @var{nfloor} for an
## N-tap core.
## @end deftypefn

function b = kw_trunc_bound (nfloor, fm, fo)
  b = nfloor * pow2 (-fm) + pow2 (-fo);
endfunction

%!assert (kw_trunc_bound (10, 4, 8), 10 / 16 + 1 / 256)
%!assert (kw_trunc_bound (0, 4, 2), 0.25)
