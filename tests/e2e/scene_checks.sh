# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # variables shared with the sourcing script
# What a screenshot of the scene must show, judged only by what the program
# guarantees, never by where the rocks happen to be. Sourced by
# e2e_common.sh.
#
# The guarantees: every frame is cleared to black, then the stars are
# plotted, single pixels (four-pixel streaks down while Down is held) in the
# colour of their speed class, then the rocks are drawn over them with their
# colour 0 transparent. No rock colour is black or a star colour, so a pixel
# showing no rock colour shows the stars of that frame as they are.
#
# A screenshot NAME is $work/NAME.ppm, the 640 x 480 picture; picture_grid
# turns it into $work/NAME.grid, 480 lines of 640 characters: "." black,
# 0..3 a star of that speed class, "r" a rock colour, "?" anything else.

# --- the colours, from ROCK8.BMP ------------------------------------------------

# The little-endian 32-bit number at byte $1 of ROCK8.BMP.
bmp_number() {
  od -An -tu1 -j "$1" -N 4 "$rock_bmp" | awk '{ print $1 + 256 * ($2 + 256 * ($3 + 256 * $4)) }'
}

# "r g b" of the colour-table entries of ROCK8.BMP named as arguments (blue,
# green, red, reserved per entry, right after the info header).
bmp_colours() {
  local header_size index
  header_size=$(bmp_number 14)
  for index in "$@"; do
    od -An -tu1 -j $((14 + header_size + 4 * index)) -N 3 "$rock_bmp" | awk '{ print $3, $2, $1 }'
  done
}

# The four rock pictures as the program draws them: the top-left 63 x 63
# pixels of cell c, from image pixel (65c + 1, 1). Prints the fewest pixels
# of a rock colour one of them shows (the last rock drawn is covered by
# nothing, so every frame shows at least that many), then every colour index
# they use, 0 (transparent) excepted, one a line.
rock_pictures() {
  local width height
  width=$(bmp_number 18)
  height=$(bmp_number 22)
  od -An -tu1 -v -j "$(bmp_number 10)" "$rock_bmp" | tr -s ' ' '\n' | awk 'NF' |
    awk -v width="$width" -v height="$height" '
      BEGIN { stride = int((width + 3) / 4) * 4; bottom_up = height < 2^31 }
      {
        i = NR - 1; row = int(i / stride); x = i % stride
        y = bottom_up ? height - 1 - row : row
        if ($1 == 0 || y < 1 || y > 63) next
        for (c = 0; c < 4; c++) if (x >= 65 * c + 1 && x <= 65 * c + 63) { opaque[c]++; used[$1] = 1 }
      }
      END {
        least = opaque[0]
        for (c = 1; c < 4; c++) if (opaque[c] < least) least = opaque[c]
        print least + 0
        for (colour in used) print colour
      }'
}

# Sets star_list (the four star colours in speed-class order: class c is
# colour index 245 - 3c) and rock_list (the rock colours), each a comma-separated
# list of "r g b", and rock_floor. Ends the script if two of these colours,
# or a rock colour and black, could be mistaken for one another.
star_list=
rock_list=
rock_floor=0
read_scene_colours() {
  local pictures
  pictures=$(rock_pictures)
  rock_floor=${pictures%%$'\n'*}
  [ "$rock_floor" -gt 0 ] || die "ROCK8.BMP has no rock pixels"
  star_list=$(bmp_colours 245 242 239 236 | paste -sd, -)
  # shellcheck disable=SC2046
  rock_list=$(bmp_colours $(tail -n +2 <<<"$pictures") | paste -sd, -)
  local clash
  clash=$(awk -v stars="$star_list" -v rocks="$rock_list" 'BEGIN {
      n = split(stars, list, ",")
      for (i = 1; i <= n; i++) { if (list[i] == "0 0 0" || list[i] in star) print list[i]; star[list[i]] = 1 }
      n = split(rocks, list, ",")
      for (i = 1; i <= n; i++) if (list[i] == "0 0 0" || list[i] in star) print list[i]
    }' | head -n 1)
  [ -z "$clash" ] || die "ROCK8.BMP: the colour $clash stands for two things; screenshots cannot be read"
}

# picture_grid NAME: $work/NAME.grid from $work/NAME.ppm (its last 640 x 480
# pixels, whatever its header).
picture_grid() {
  tail -c $((640 * 480 * 3)) "$work/$1.ppm" | od -An -v -tu1 -w3 |
    awk -v stars="$star_list" -v rocks="$rock_list" '
      BEGIN {
        n = split(stars, list, ","); for (i = 1; i <= n; i++) class[list[i]] = i - 1
        n = split(rocks, list, ","); for (i = 1; i <= n; i++) rock[list[i]] = 1
      }
      {
        colour = $1 " " $2 " " $3
        if (colour == "0 0 0") c = "."
        else if (colour in class) c = class[colour]
        else if (colour in rock) c = "r"
        else c = "?"
        line = line c
        if (++x == 640) { print line; line = ""; x = 0 }
      }' >"$work/$1.grid"
}

# --- the checks; each sets check_summary ---------------------------------------------

# scene_shown NAME: nothing but black, stars and rocks; stars of all four
# classes, at most 600 pixels (600 stars, no streaks); at least one whole
# rock.
scene_shown() {
  local c0 c1 c2 c3 rock other
  read -r c0 c1 c2 c3 rock other < <(awk '
    { for (x = 1; x <= 640; x++) count[substr($0, x, 1)]++ }
    END { printf "%d %d %d %d %d %d\n", count[0], count[1], count[2], count[3], count["r"], count["?"] }' \
    "$work/$1.grid")
  local stars=$((c0 + c1 + c2 + c3))
  check_summary="stars by class $c0/$c1/$c2/$c3, $rock rock pixels, $other of other colours"
  [ "$other" -eq 0 ] && [ "$c0" -gt 0 ] && [ "$c1" -gt 0 ] && [ "$c2" -gt 0 ] && [ "$c3" -gt 0 ] &&
    [ "$stars" -le 600 ] && [ "$rock" -ge "$rock_floor" ]
}

# stars_stand A B (Up held through both): wherever neither screenshot shows
# a rock, both show the same, so no star moved, came or went.
stars_stand() {
  local same moved
  read -r same moved < <(awk 'FNR == 1 { file++ }
    file == 1 { before[FNR] = $0; next }
    $0 == before[FNR] && !/[?]/ { same += gsub(/[0-3]/, "&"); next }
    {
      for (x = 1; x <= 640; x++) {
        a = substr(before[FNR], x, 1); b = substr($0, x, 1)
        if (a == "r" || b == "r") continue
        if (a != b || a == "?") moved++
        else if (a != ".") same++
      }
    }
    END { print same + 0, moved + 0 }' "$work/$1.grid" "$work/$2.grid")
  check_summary="$same star pixels in place, $moved pixels changed outside the rocks"
  [ "$moved" -eq 0 ] && [ "$same" -gt 0 ]
}

# stars_fall A B (no key held through both, frames drawn in between): for
# some number of frames k, every star of A lies k times its speed (1, 3, 5,
# 7 rows by class) further down in B, wrapping at the bottom, and every star
# of B that far up in A, unless a rock or another star covers that pixel
# (black there means the star is not where it must be); and no colour but
# black, the stars' and the rocks'. k stays below 240, as 480 - k frames
# down is k frames up: a frame takes at least 30 ms, and next_shot takes B
# as soon as the picture changed, far sooner than 7 s.
stars_fall() {
  local frames misses stars other
  read -r frames misses stars other < <(awk 'FNR == 1 { file++ }
    {
      grid[file, FNR - 1] = $0
      for (x = 1; x <= 640; x++) {
        c = substr($0, x, 1)
        if (c ~ /[0-3]/) { n[file]++; sx[file, n[file]] = x; sy[file, n[file]] = FNR - 1; sc[file, n[file]] = c }
        else if (c == "?") other++
      }
    }
    function empty(f, x, y) { c = substr(grid[f, y], x, 1); return c == "." || c == "?" }
    END {
      best = -1
      for (k = 1; k < 240; k++) {
        misses = 0
        for (i = 1; i <= n[1]; i++)
          misses += empty(2, sx[1, i], (sy[1, i] + k * (2 * sc[1, i] + 1)) % 480)
        for (i = 1; i <= n[2]; i++)
          misses += empty(1, sx[2, i], ((sy[2, i] - k * (2 * sc[2, i] + 1)) % 480 + 480) % 480)
        if (best < 0 || misses < fewest) { best = k; fewest = misses }
      }
      print best, fewest, n[1] + n[2], other + 0
    }' "$work/$1.grid" "$work/$2.grid")
  check_summary="$stars star pixels, best fit $frames frame(s) on with $misses out of place, $other of other colours"
  [ "$misses" -eq 0 ] && [ "$stars" -gt 0 ] && [ "$other" -eq 0 ]
}

# stars_streak _ B (Down held): every star pixel of B lies in a run of four
# pixels down its column with no black in it (rows off the screen left out),
# a streak partly covered by rocks or other stars.
stars_streak() {
  local stars loose
  read -r stars loose < <(awk '{ row[FNR - 1] = $0 }
    function dark(x, y) { c = substr(row[y], x, 1); return c == "." || c == "?" }
    END {
      for (y = 0; y < 480; y++) for (x = 1; x <= 640; x++) {
        if (substr(row[y], x, 1) !~ /[0-3]/) continue
        stars++
        streaked = 0
        for (top = y - 3; top <= y && !streaked; top++) {
          streaked = 1
          for (r = top; r < top + 4; r++) if (r >= 0 && r < 480 && dark(x, r)) streaked = 0
        }
        if (!streaked) loose++
      }
      print stars + 0, loose + 0
    }' "$work/$2.grid")
  check_summary="$stars star pixels, $loose of them not in a streak"
  [ "$loose" -eq 0 ] && [ "$stars" -gt 0 ]
}
