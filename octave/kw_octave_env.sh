# Shell set-up shared by the Octave runners (sourced, not executed).
# kw_octave_env USE_OCT (with kw_octave_dir set to this folder): sets KW_OCT_DIR to a directory holding quantize.oct (built on
# first use into a cache keyed by the Octave version; empty when USE_OCT is 0 or the
# build fails, so quantize.m is used) and points OCTAVE_FONTS_DIR at a usable font when
# Octave's own FreeSans is not installed (text rendering fails without one).

kw_cache_dir() {
    v=$(octave-config --version 2>/dev/null || echo unknown)
    echo "${KW_OCTAVE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvoware-octave}/$v"
}

kw_octave_env() {
    cache=$(kw_cache_dir)
    KW_OCT_DIR=
    if [ "$1" = 1 ]; then
        if [ -n "${KW_OCT_PREBUILT:-}" ] && [ -f "$KW_OCT_PREBUILT/quantize.oct" ]; then
            KW_OCT_DIR=$KW_OCT_PREBUILT
        elif ! KW_OCT_DIR=$("$kw_octave_dir/kw_build_oct" "$cache/oct"); then
            echo "note: quantize.oct could not be built; using quantize.m (slower)" >&2
            KW_OCT_DIR=
        fi
    fi
    export KW_OCT_DIR
    fonts=$(octave-config -p OCTFONTSDIR 2>/dev/null || echo /usr/share/octave/fonts)
    if [ -z "${OCTAVE_FONTS_DIR:-}" ] && [ ! -f "$fonts/FreeSans.otf" ] \
        && [ ! -f /usr/share/fonts/opentype/freefont/FreeSans.otf ]; then
        for f in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
                 /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf; do
            if [ -f "$f" ]; then
                mkdir -p "$cache/fonts"
                for s in "" Bold Oblique BoldOblique; do
                    ln -sf "$f" "$cache/fonts/FreeSans$s.otf"
                done
                export OCTAVE_FONTS_DIR="$cache/fonts"
                break
            fi
        done
    fi
}
