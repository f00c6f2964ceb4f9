#!/bin/sh
# Proves every product of a shift-add core's products module equal to a plain multiplication
# for ALL operand values, one Yosys SAT proof per product:
#   prove_products.sh CORE.v [WORKDIR [PORT]]   (PORT: that product only)
# The module's comment lines "// product P = X * C after D clocks" name each output, its operand,
# its constant and its pipeline stages. The proof holds the operand in a register of free
# initial value, lets the pipeline run D clocks from free initial states and proves P == X * C
# at the clock after. Prints one line per product and a summary; exits non-zero when one fails.
set -eu
[ $# -ge 1 ] || { echo "usage: prove_products.sh CORE.v [WORKDIR]" >&2; exit 2; }
core=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=${2:-$(mktemp -d)}
mkdir -p "$work"
module=$(sed -n 's|^module \([A-Za-z0-9_]*_products\) (.*|\1|p' "$core")
[ -n "$module" ] || { echo "prove_products.sh: no products module in $1" >&2; exit 2; }

width() {  # PORT: the width of PORT in the products module's port list
    sed -n "/^module $module (/,/^);/s|.*signed \[\([0-9]*\):0\] $1[,]*\$|\1|p" "$core" | head -1
}

proved=0
failed=0
sed -n 's|^// product \([a-z0-9_]*\) = \([a-z0-9_]*\) \* \(-*[0-9]*\) after \([0-9]*\) clocks$|\1 \2 \3 \4|p' "$core" > "$work/products.txt"
[ -s "$work/products.txt" ] || { echo "prove_products.sh: no product lines in $1" >&2; exit 2; }
while read -r port operand constant clocks; do
    if [ -n "${3:-}" ] && [ "$port" != "$3" ]; then continue; fi
    xw=$(( $(width "$operand") + 1 ))
    pw=$(( $(width "$port") + 1 ))
    clock=""
    if [ "$clocks" -gt 0 ]; then clock=".clk(clk), "; fi
    magnitude=${constant#-}
    sign=""; [ "$magnitude" != "$constant" ] && sign="-"
    cat > "$work/proof_$port.v" <<EOV
module proof (input wire clk, output wire ok);
    reg signed [$((xw - 1)):0] x;
    always @(posedge clk) x <= x;
    wire signed [$((pw - 1)):0] p;
    $module dut (${clock}.$operand(x), .$port(p));
    wire signed [$((xw + pw)):0] want = ${sign}($((xw + pw + 1))'sd$magnitude * x);
    assign ok = p == want;
endmodule
EOV
    steps=$((clocks + 1))
    if yosys -q -p "read_verilog $core $work/proof_$port.v; hierarchy -top proof; proc; flatten; opt_clean;
                    sat -seq $steps -prove-skip $clocks -prove ok 1 -verify" > "$work/proof_$port.log" 2>&1; then
        proved=$((proved + 1))
        echo "PROVED $port = $operand * $constant"
    else
        failed=$((failed + 1))
        echo "FAILED $port = $operand * $constant (see $work/proof_$port.log)"
    fi
done < "$work/products.txt"
echo "$module: $proved products proved for all inputs, $failed failed"
[ "$failed" -eq 0 ]
