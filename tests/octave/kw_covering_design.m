## Pairwise covering design: a short list of cases in which every feasible pair of
## values of two different dimensions appears at least once, so that a matrix of
## cores covers the interactions of its dimensions without the full product.

## -*- texinfo -*-
## @deftypefn {} {@var{rows} =} kw_covering_design (@var{levels}, @var{allowed})
## Cases covering every feasible pair of dimension values.
##
## @var{levels}(d) is the number of values of dimension d (values 1..levels(d)).
## @var{allowed} is a function of a row vector with one entry per dimension (0 for
## a dimension not chosen yet) that returns false when the partial case breaks a
## constraint; it must accept every partial case that some full case extends.
##
## Built greedily and deterministically: each new case starts from the first pair
## still uncovered and fills the other dimensions one by one with the allowed value
## that covers the most uncovered pairs (ties: the value used least so far, then the
## lowest).  Returns one case per row.
## @end deftypefn

function rows = kw_covering_design (levels, allowed)
  nd = numel (levels);
  todo = uncovered_pairs (levels, allowed);
  used = arrayfun (@(n) zeros (1, n), levels, "UniformOutput", false);
  rows = zeros (0, nd);
  while (any (todo.open))
    k = find (todo.open, 1);
    row = zeros (1, nd);
    row([todo.d1(k) todo.d2(k)]) = [todo.v1(k) todo.v2(k)];
    for d = 1:nd
      if (row(d) == 0)
        row(d) = best_value (row, d, levels(d), todo, used{d}, allowed);
      endif
    endfor
    for d = 1:nd
      used{d}(row(d)) += 1;
    endfor
    todo.open &= ! covers (row, todo);
    rows(end+1, :) = row;
  endwhile
endfunction

## Every pair (d1,v1,d2,v2), d1 < d2, that the constraints allow.
function t = uncovered_pairs (levels, allowed)
  t = struct ("d1", [], "v1", [], "d2", [], "v2", []);
  nd = numel (levels);
  for d1 = 1:nd
    for d2 = d1+1:nd
      for v1 = 1:levels(d1)
        for v2 = 1:levels(d2)
          row = zeros (1, nd);
          row([d1 d2]) = [v1 v2];
          if (allowed (row))
            t.d1(end+1) = d1; t.v1(end+1) = v1; t.d2(end+1) = d2; t.v2(end+1) = v2;
          endif
        endfor
      endfor
    endfor
  endfor
  t.open = true (size (t.d1));
endfunction

function c = covers (row, t)
  c = row(t.d1) == t.v1 & row(t.d2) == t.v2;
endfunction

function v = best_value (row, d, n, todo, used, allowed)
  v = 0;
  best = [-1 0];
  for cand = 1:n
    row(d) = cand;
    if (! allowed (row))
      continue;
    endif
    ## Pairs this value would cover with the dimensions already set.
    gain = sum (todo.open & covers (row, todo) & (todo.d1 == d | todo.d2 == d));
    score = [gain -used(cand)];
    if (score(1) > best(1) || (score(1) == best(1) && score(2) > best(2)))
      best = score;
      v = cand;
    endif
  endfor
  if (v == 0)
    error ("kw_covering_design: no allowed value for dimension %d", d);
  endif
endfunction

## Every feasible pair is covered, every case obeys the constraint, and the design is
## far smaller than the full product.
%!test
%! levels = [4 2 3 2 7 2 2 5];
%! ## dimension 4 = 2 and dimension 1 = 4 both need dimension 3 = 1
%! ok = @(r) ! ((r(4) == 2 || r(1) == 4) && r(3) > 1);
%! c = kw_covering_design (levels, ok);
%! assert (all (arrayfun (@(k) ok (c(k, :)), 1:size (c, 1))));
%! for d1 = 1:8
%!   for d2 = d1+1:8
%!     for v1 = 1:levels(d1)
%!       for v2 = 1:levels(d2)
%!         probe = zeros (1, 8);
%!         probe([d1 d2]) = [v1 v2];
%!         hit = any (c(:, d1) == v1 & c(:, d2) == v2);
%!         assert (hit || ! ok (probe), sprintf ("pair %d=%d, %d=%d not covered", d1, v1, d2, v2));
%!       endfor
%!     endfor
%!   endfor
%! endfor
%! assert (size (c, 1) < 50);
%! assert (! any (c(:, 3) > 1 & c(:, 4) == 2));

## Deterministic: the same call gives the same cases.
%!assert (kw_covering_design ([3 3 2], @(r) true), kw_covering_design ([3 3 2], @(r) true))
## A constraint that accepts pairs no full case extends is reported.
%!error <no allowed value> kw_covering_design ([2 2 2], @(r) nnz (r) < 3)
