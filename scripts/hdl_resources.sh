#!/usr/bin/env bash
# The README's resource table of the generated Verilog: a 33-tap, a 65-tap and a 511-tap
# root-raised-cosine core in every structure, and the 33-tap (r = 4) and 65-tap (r = 8) cores fed
# at the symbol rate (polyphase; R 0.35, 12-bit input, 14-bit coefficients) (with multipliers, multiplier-free, and with
# shift-add constant products where the structure takes them), synthesized with Yosys synth_xilinx
# (multipliers, DSP48E1 blocks, LUTs, flip-flops, block RAMs) and synth_ice40, then placed and
# routed by nextpnr-ice40 at 100 MHz requested, seeds 1, 2 and 3, for the median maximum clock:
# on the iCE40 UP5K (its DSP blocks used) where the core fits it, else on the HX8K (no DSP blocks,
# multipliers in LUTs). The core sits in a one-pin wrapper there (a serial input shift register
# feeding in_data, the outputs XOR-reduced into one flip-flop), since the pins cannot carry its ports.
#   scripts/hdl_resources.sh [WORKDIR]     (after scripts/build.sh; prints a Markdown table)
# KW_RESOURCE_SIZES (e.g. "33 65-r8") keeps only those sizes; KW_RESOURCE_STRUCTURES (e.g. "DS TS")
# only those structures; KW_HDL_ROWS=REGEX the rows whose "size structure" matches (e.g. 'r=').
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kelvodsp=${KW_BUILD_DIR:-$root/build}/bin/kelvodsp
work=${1:-$root/build/hdl_resources}
mkdir -p "$work"
cd "$work"

# taps: generator switches. 33 taps: the worked example (R 0.35, 4 samples per symbol, delay 4,
# 12-bit input, 14-bit coefficients); 65 taps: 8 samples per symbol, delay 4; 511 taps: 5, delay
# 51 (both R 0.22, 16-bit input and coefficients); 33-r4 and 65-r8: symbols in (-fs_flag no,
# polyphase), R 0.35, 12-bit input, 14-bit coefficients. A "-mM" structure has M multipliers side
# by side (-hdl_multipliers M).
sizes=("33:-fs 4 -fd 1 -delay 4 -r_val 0.35 -ibits 12 -ifbits 11 -cbits 14"
       "65:-fs 8 -fd 1 -delay 4 -r_val 0.22 -ibits 16 -ifbits 15 -cbits 16"
       "511:-fs 5 -fd 1 -delay 51 -r_val 0.22 -ibits 16 -ifbits 15 -cbits 16"
       "33-r4:-fs 4 -fd 1 -delay 4 -r_val 0.35 -ibits 12 -ifbits 11 -cbits 14 -fs_flag no"
       "65-r8:-fs 8 -fd 1 -delay 4 -r_val 0.35 -ibits 12 -ifbits 11 -cbits 14 -fs_flag no")
structures=("DP:-form Direct -resource_shared no -no_mults no"
            "DP-sa:-form Direct -resource_shared no -no_mults no -hdl_products shiftadd"
            "DP-mf:-form Direct -resource_shared no -no_mults yes"
            "TP:-form Transposed -resource_shared no -no_mults no"
            "TP-sa:-form Transposed -resource_shared no -no_mults no -hdl_products shiftadd"
            "TP-mf:-form Transposed -resource_shared no -no_mults yes"
            "TP-mf-sa:-form Transposed -resource_shared no -no_mults yes -hdl_products shiftadd"
            "DS:-form Direct -resource_shared yes -no_mults no"
            "DS-m2:-form Direct -resource_shared yes -no_mults no -hdl_multipliers 2"
            "DS-m4:-form Direct -resource_shared yes -no_mults no -hdl_multipliers 4"
            "DS-m8:-form Direct -resource_shared yes -no_mults no -hdl_multipliers 8"
            "DS-mf:-form Direct -resource_shared yes -no_mults yes"
            "TS:-form Transposed -resource_shared yes -no_mults no"
            "TS-m2:-form Transposed -resource_shared yes -no_mults no -hdl_multipliers 2"
            "TS-m4:-form Transposed -resource_shared yes -no_mults no -hdl_multipliers 4"
            "TS-m8:-form Transposed -resource_shared yes -no_mults no -hdl_multipliers 8"
            "TS-mf:-form Transposed -resource_shared yes -no_mults yes")
seeds=(1 2 3)

selected() {  # ITEM LIST: whether ITEM is in the space-separated LIST (an empty LIST holds all)
    [ -z "$2" ] || [[ " $2 " == *" $1 "* ]]
}

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

median_fmax() {  # NAME DEVICE PACKAGE: the median over the seeds of the maximum clock in MHz
    local seed figures=()
    for seed in "${seeds[@]}"; do
        nextpnr-ice40 "--$2" --package "$3" --pcf-allow-unconstrained --freq 100 --timing-allow-fail --seed "$seed" \
            --json "$1.$2.json" > "$1.$2.pnr$seed.log" 2>&1 || { echo "place and route failed"; return; }
        figures+=("$(grep "Max frequency for clock" "$1.$2.pnr$seed.log" | tail -1 | sed 's|.*: *\([0-9.]*\) MHz.*|\1|')")
    done
    printf '%s\n' "${figures[@]}" | sort -n | sed -n "$(((${#figures[@]} + 1) / 2))p"
}

ice40_synth() {  # NAME DEVICE [-dsp]: synthesis for the device; prints "LUT4 DFF RAM DSP"
    yosys -q -p "read_verilog $1.v $1_bench.v; synth_ice40 ${3:-} -top $1_bench -json $1.$2.json; tee -q -o $1.$2 stat" \
        > "$1.$2.log" 2>&1 || { echo "failed"; return; }
    echo "$(cells "$1.$2" '^SB_LUT4$') $(cells "$1.$2" '^SB_DFF') $(cells "$1.$2" '^SB_RAM40_4K$') $(cells "$1.$2" '^SB_MAC16$')"
}

# NAME IBITS OBITS MULTIPLIERS: "LUT4 | DFF | RAM | UP5K fmax | HX8K fmax" of the iCE40 columns
ice40_columns() {
    wrapper "$1" "$2" "$3"
    local luts dffs rams dsps
    # More multipliers than the UP5K's 8 DSP blocks and 16 more in its LUTs (some 300 LUT4 each)
    # cannot fit: those go to the HX8K at once.
    if (($4 <= 24)); then
        # A failed UP5K synthesis (Yosys 0.23 crashes in synth_ice40 -dsp on some parallel cores)
        # falls through to the HX8K.
        read -r luts dffs rams dsps <<< "$(ice40_synth "$1" up5k -dsp)"
        if [ "$luts" != failed ] && ((luts <= 5280 && dffs <= 5280 && dsps <= 8 && rams <= 30)); then
            echo "| $luts | $dffs | $rams | $(median_fmax "$1" up5k sg48) | |"
            return
        fi
    fi
    read -r luts dffs rams dsps <<< "$(ice40_synth "$1" hx8k)"
    if [ "$luts" = failed ]; then echo "| | | | does not fit | synthesis failed |"; return; fi
    if ((luts > 7680 || dffs > 7680 || rams > 32)); then
        echo "| $luts | $dffs | $rams | does not fit | does not fit |"
        return
    fi
    echo "| $luts | $dffs | $rams | does not fit | $(median_fmax "$1" hx8k ct256) |"
}

echo "| taps | structure | K (clocks/sample) | latency (clocks) | multipliers | DSP48E1 | LUTs | flip-flops | RAMB18/36 | iCE40 LUT4 | iCE40 DFF | iCE40 RAM | UP5K fmax (MHz) | HX8K fmax (MHz) |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for size in "${sizes[@]}"; do
    taps=${size%%:*}
    selected "$taps" "${KW_RESOURCE_SIZES:-}" || continue
    for structure in "${structures[@]}"; do
        label=${structure%%:*}
        selected "$label" "${KW_RESOURCE_STRUCTURES:-}" || continue
        [[ "$taps $label" =~ ${KW_HDL_ROWS:-.} ]] || continue
        name=rrc$(echo "${taps}_$label" | tr 'A-Z =-' 'a-z___')
        # shellcheck disable=SC2086
        if ! "$kelvodsp" rcosflt ${size#*:} ${structure#*:} -type sqrt -hdl verilog -nosubdir -outdir "$work" \
            -name "$name" > "$name.log" 2>&1; then
            echo "| $taps | $label | refused: $(grep -v "^Info" "$name.log" | head -1 | cut -c1-100) |"
            continue
        fi
        # A synthesis that fails (or runs out of memory) loses its row, not the table.
        if ! yosys -q -p "read_verilog $name.v; synth_xilinx -top $name; tee -q -o $name.xilinx stat" > "$name.xilinx.log" 2>&1; then
            echo "| $taps | $label | synth_xilinx failed: $(tail -1 "$name.xilinx.log" | cut -c1-80) |"
            continue
        fi
        k=$(header "$name.v" "Throughput: K =")
        latency=$(header "$name.v" "Latency:")
        multipliers=$(header "$name.v" "Resources:")
        ibits=$(sed -n 's|^// Ports: *in_data *signed \[\([0-9]*\):0\].*|\1|p' "$name.v")
        obits=$(sed -n 's|^// *out_data signed \[\([0-9]*\):0\].*|\1|p' "$name.v")
        dsps=$(cells "$name.xilinx" '^DSP48E1$')
        luts=$(cells "$name.xilinx" '^(LUT[1-6]|SRL16E|SRLC32E|RAM[0-9]+[MX].*)$')
        ffs=$(cells "$name.xilinx" '^FD[RSCP]E$')
        brams="$(cells "$name.xilinx" '^RAMB18E1$')/$(cells "$name.xilinx" '^RAMB36E1$')"
        if ((ffs > 7680)); then
            ice40="| | | | does not fit: $ffs flip-flops | does not fit |"
        else
            ice40=$(ice40_columns "$name" $((ibits + 1)) $((obits + 1)) "$multipliers")
        fi
        echo "| $taps | $label | $k | $latency | $multipliers | $dsps | $luts | $ffs | $brams $ice40"
    done
done
