; The viewer in front of a runnable DFLI export. The file is the $1001 DFLI
; layout: a one-line BASIC program that calls the code below, and from
; `data` on four attribute banks of 2048 bytes (luminance block, then color
; block, each 1000 bytes padded to 1024) followed by the bitmap. Multicolor
; files keep "MULT" and the two image-wide colors (nibbles swapped) in the
; last six bytes of bank 0's luminance block.
;
; Assembled twice by the build: MULTICOLOR=0 for hires (data at offset 211 of
; the file, $10d2), MULTICOLOR=1 for multicolor (offset 362, $1169). The
; hires build must fit the 209 bytes before its data.
;
; RUN copies the picture to where the TED can fetch it (banks at $6000, the
; bitmap at $8000; the file's own copy stays, so RUN works again) and shows
; it until a key is pressed, then puts the text screen back and returns to
; BASIC.
;
; How DFLI shows: the TED fetches a character row's attributes in two DMA
; lines, luminance in the line before the row's first line and colors in
; the first line. Every second line, right after the color fetch, the
; vertical scroll in $ff06 is moved on by two lines, so that the next line
; starts another fetch of the same row, and $ff14 points that fetch at the
; next bank. So line pair p of the picture shows bank p mod 4. The CPU is
; stopped during each fetch and goes on right after it, which keeps the
; loop in step with the lines: the two writes must come within a few cycles
; of the fetch's end (measured on the emulated machine: up to 6 cycles later
; still show the picture, 8 do not).
; PAL and NTSC TEDs fetch alike; only the number of lines in a frame
; differs, and the loop waits on line numbers both have.

        .weak
MULTICOLOR = 0
DELAY = 0                       ; NOPs before the writes: the emulator check
                                ; shows that a viewer late by four is seen
        .endweak

        .include "viewer_common.asm"

ted_control1    = $ff06         ; bitmap mode, display on, 25 rows, vertical scroll
ted_line_high   = $ff1c         ; bit 0: raster line bit 8
ted_line        = $ff1d         ; raster line bits 0-7

from            = $d8           ; copy pointers (zero page)
to              = $da
saved           = $dc           ; the video registers as BASIC had them (7 bytes)

banks           = $6000         ; four banks, $800 apart
bitmap          = $8000         ; fetched from RAM ($ff12 bit 2 clear)
data            = MULTICOLOR != 0 ? $1169 : $10d2
color3_swapped  = banks + 1022
color0_swapped  = banks + 1023

control1_first  = %00111011     ; bitmap, display on, 25 rows, scroll 3
control2_keep   = %11100000     ; reverse, NTSC and freeze bits stay
control2_cols40 = %00001000
control2_multi  = %00010000
bitmap_keep     = %00000011     ; bits 0-1 are the first voice's frequency
bitmap_at_8000  = (bitmap >> 13) << 3
first_line      = 3             ; the fetch line before the picture's first line

        * = $1001

; 10 SYS <start>
basic   .word basic_end         ; link to the next line
        .word 10                ; line number
        .byte $9e               ; the SYS token
        .text format("%d", start)
        .byte 0                 ; end of line
basic_end
        .word 0                 ; end of program

start   sei
        #save_registers

        ; 64 pages from the file to the banks and on into the bitmap.
        lda #<data
        sta from
        lda #>data
        sta from + 1
        ldy #<banks
        sty to
        lda #>banks
        sta to + 1
        ldx #64
-       lda (from),y
        sta (to),y
        iny
        bne -
        inc from + 1
        inc to + 1
        dex
        bne -

        .if MULTICOLOR != 0
        lda color0_swapped
        jsr swap_nibbles
        sta ted_color0
        sta ted_border          ; the border continues the background
        lda color3_swapped
        jsr swap_nibbles
        sta ted_color3
        .else
        sty ted_border          ; black: a hires picture has no single background
        .endif
        lda ted_control2
        and #control2_keep
        ora #control2_cols40 | (MULTICOLOR != 0 ? control2_multi : 0)
        sta ted_control2
        lda ted_bitmap
        and #bitmap_keep
        ora #bitmap_at_8000
        sta ted_bitmap
        lda #>banks
        ldy #control1_first
        sta ted_attributes
        sty ted_control1

        ; The key that started the program may still be down: wait for it
        ; to go up first.
-       jsr any_key
        bne -
frame
        ; Into the lines past 255 (the bottom border), then to line 0.
-       lda ted_line_high
        lsr a
        bcc -
-       lda ted_line_high
        lsr a
        bcs -
        ; Pair p fetches from line 3 + 2p: vertical scroll (3 + 2p) mod 8,
        ; bank p mod 4. Pair 0 was set up after the last frame's pairs.
        ldx #first_line + 1     ; the line of pair 0's color fetch
pairs   .for pair = 1, pair <= 4, pair += 1
        lda #(banks >> 8) + 8 * (pair % 4)
        ldy #(control1_first & $f8) | ((first_line + 2 * pair) & 7)
        jsr next_pair
        .endfor
        cpx #first_line + 1 + 200
        bcc pairs

        ; Once a frame: a key ends the picture.
        jsr any_key
        beq frame
-       jsr any_key             ; let go, so that it does not reach BASIC
        bne -

        ; Back to the text screen as it was; $ff06 comes last (index 0).
        #restore_registers
        rts

; Right after the color fetch of the pair whose fetch lines end at line x,
; points the TED at the next pair: bank A, vertical scroll in Y.
next_pair
-       cpx ted_line
        bne -
        .rept DELAY
        nop
        .endrept
        sta ted_attributes
        sty ted_control1
        inx
        inx
        rts

; Z clear while any key of the keyboard is down.
any_key #read_keyboard

        .if MULTICOLOR != 0
; A with its two nibbles exchanged: the file keeps the two multicolor colors
; hue first, the chip wants luminance in the high nibble.
swap_nibbles
        asl a
        adc #$80
        rol a
        asl a
        adc #$80
        rol a
        rts
        .endif

registers
        .byte <ted_control1, <ted_control2, <ted_bitmap, <ted_attributes
        .byte <ted_color0, <ted_color3, <ted_border
register_count = * - registers

        .cerror * > data, "the viewer runs into the picture"
