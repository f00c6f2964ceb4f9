#!/usr/bin/env bash
# The README's resource table of the generated Verilog: a 65-tap and a 511-tap root-raised-cosine
# core (16-bit input, 16-bit coefficients) in every structure, synthesized with Yosys synth_xilinx
# (multipliers, DSP48E1 blocks, LUTs, flip-flops, block RAMs), and, where the core fits an iCE40
# UP5K, placed and routed by nextpnr-ice40 for its maximum clock. The core sits in a small
# wrapper there (a serial input shift register and an XOR of the outputs into one pin), since the
# UP5K's 39 pins cannot carry its ports.
#   scripts/hdl_resources.sh [WORKDIR]     (after scripts/build.sh; prints a Markdown table)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kelvodsp=${KW_BUILD_DIR:-$root/build}/bin/kelvodsp
work=${1:-$root/build/hdl_resources}
mkdir -p "$work"
cd "$work"

# name: generator switches. 65 taps: 8 samples per symbol, delay 4; 511 taps: 5, delay 51.
sizes=("65:-fs 8 -fd 1 -delay 4" "511:-fs 5 -fd 1 -delay 51")
structures=("DP:-form Direct -resource_shared no -no_mults no"
            "DP-mf:-form Direct -resource_shared no -no_mults yes"
            "TP:-form Transposed -resource_shared no -no_mults no"
            "TP-mf:-form Transposed -resource_shared no -no_mults yes"
            "DP-sa:-form Direct -resource_shared no -no_mults no -hdl_products shiftadd"
            "TP-sa:-form Transposed -resource_shared no -no_mults no -hdl_products shiftadd"
            "TP-mf-sa:-form Transposed -resource_shared no -no_mults yes -hdl_products shiftadd"
            "DS:-form Direct -resource_shared yes -no_mults no"
            "DS-mf:-form Direct -resource_shared yes -no_mults yes"
            "TS:-form Transposed -resource_shared yes -no_mults no"
            "TS-mf:-form Transposed -resource_shared yes -no_mults yes")

header() {  # FILE FIELD: the first number after "// FIELD" in the header
    sed -n "s|^// $2 *\([0-9][0-9]*\).*|\1|p" "$1" | head -1
}

cells() {  # STATFILE PATTERN: the number of cells whose type matches PATTERN
    awk -v p="$2" '$1 ~ p { n += $2 } END { print n + 0 }' "$1"
}

wrapper() {  # NAME IBITS OBITS: the one-pin harness for the iCE40 place and route
    cat > "$1_bench.v" <<EOF
module $1_bench (input wire clk, input wire rst, input wire din, output reg dout);
    reg [$(($2 - 1)):0] shift;
    wire in_ready, out_valid;
    wire signed [$(($3 - 1)):0] out_data;
    always @(posedge clk) shift <= {shift[$(($2 - 2)):0], din};
    $1 core (.clk(clk), .rst(rst), .in_valid(1'b1), .in_ready(in_ready), .in_data(shift),
        .out_valid(out_valid), .out_data(out_data));
    always @(posedge clk) dout <= ^out_data ^ out_valid ^ in_ready;
endmodule
EOF
}

ice40_fmax() {  # NAME IBITS OBITS: the maximum clock in MHz, or why there is none
    wrapper "$1" "$2" "$3"
    yosys -q -p "read_verilog $1.v $1_bench.v; synth_ice40 -dsp -top $1_bench -json $1.json; tee -q -o $1.ice40 stat" \
        > "$1.ice40.log" 2>&1 || { echo "synthesis failed"; return; }
    local luts dffs macs rams
    luts=$(cells "$1.ice40" '^SB_LUT4$'); dffs=$(cells "$1.ice40" '^SB_DFF')
    macs=$(cells "$1.ice40" '^SB_MAC16$'); rams=$(cells "$1.ice40" '^SB_RAM40_4K$')
    if ((luts > 5280 || dffs > 5280 || macs > 8 || rams > 30)); then
        echo "does not fit: $luts LUT4, $dffs flip-flops, $macs DSP, $rams RAM"
        return
    fi
    nextpnr-ice40 --up5k --package sg48 --pcf-allow-unconstrained --freq 12 --json "$1.json" \
        > "$1.pnr.log" 2>&1 || { echo "place and route failed"; return; }
    grep "Max frequency for clock" "$1.pnr.log" | tail -1 | sed 's|.*: *\([0-9.]*\) MHz.*|\1|'
}

echo "| taps | structure | K (clocks/sample) | latency (clocks) | multipliers | DSP48E1 | LUTs | flip-flops | RAMB18/36 | iCE40 UP5K fmax (MHz) |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|"
for size in "${sizes[@]}"; do
    taps=${size%%:*}
    for structure in "${structures[@]}"; do
        label=${structure%%:*}
        name=rrc${taps}_$(echo "$label" | tr 'A-Z-' 'a-z_')
        # shellcheck disable=SC2086
        "$kelvodsp" rcosflt ${size#*:} ${structure#*:} -type sqrt -r_val 0.22 -ibits 16 -ifbits 15 -cbits 16 \
            -hdl verilog -nosubdir -outdir "$work" -name "$name" > "$name.log" 2>&1
        yosys -q -p "read_verilog $name.v; synth_xilinx -top $name; tee -q -o $name.xilinx stat" > "$name.xilinx.log" 2>&1
        k=$(header "$name.v" "Throughput: K =")
        latency=$(header "$name.v" "Latency:")
        multipliers=$(header "$name.v" "Resources:")
        ibits=$(sed -n 's|^// Ports: *in_data *signed \[\([0-9]*\):0\].*|\1|p' "$name.v")
        obits=$(sed -n 's|^// *out_data signed \[\([0-9]*\):0\].*|\1|p' "$name.v")
        dsps=$(cells "$name.xilinx" '^DSP48E1$')
        luts=$(cells "$name.xilinx" '^(LUT[1-6]|SRL16E|SRLC32E|RAM[0-9]+[MX].*)$')
        ffs=$(cells "$name.xilinx" '^FD[RSCP]E$')
        brams="$(cells "$name.xilinx" '^RAMB18E1$')/$(cells "$name.xilinx" '^RAMB36E1$')"
        # More flip-flops than the device's 5280, or more multipliers than its 8 DSP blocks and
        # 16 more in its LUTs (some 300 LUT4 each) cannot fit: no place and route for those.
        if ((ffs > 5280)); then
            fmax="does not fit: $ffs flip-flops"
        elif ((multipliers > 24)); then
            fmax="does not fit: $multipliers multipliers"
        else
            fmax=$(ice40_fmax "$name" $((ibits + 1)) $((obits + 1)))
        fi
        echo "| $taps | $label | $k | $latency | $multipliers | $dsps | $luts | $ffs | $brams | $fmax |"
    done
done
