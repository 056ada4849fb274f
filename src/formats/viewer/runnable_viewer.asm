; The viewer in front of a runnable picture export. The file loads at $1001
; as a one-line BASIC program that calls the code below; the picture itself
; follows at $1800 exactly as the plain export lays it out: luminance at
; $1800, colors at $1C00, bitmap at $2000, and for multicolor pictures the
; letters MULT and the two image-wide colors (nibbles swapped) at the end of
; the luminance block.
;
; RUN shows the picture full screen until a key is pressed, then puts the
; text screen back and returns to BASIC.
;
; Assembled with 64tass at build time; the export embeds the bytes.

        .include "viewer_common.asm"

ted_control1    = $ff06         ; bitmap mode, display on, 25 rows

luminance       = $1800
colors          = $1c00
bitmap          = $2000
marker          = luminance + 1018  ; "MULT" in multicolor pictures
color3_swapped  = luminance + 1022
color0_swapped  = luminance + 1023

; Control bits for the picture. The bitmap lies at $2000 (8K unit 1) and is
; fetched from RAM; the attributes lie at $1800 (2K unit 3).
control1_bitmap = %00111011     ; bitmap, display on, 25 rows, scroll 3
control2_keep   = %11100000     ; reverse, NTSC and freeze bits stay
control2_cols40 = %00001000
control2_multi  = %00010000
bitmap_keep     = %00000011     ; bits 0-1 are the first voice's frequency
bitmap_at_2000  = (bitmap >> 13) << 3
attrs_at_1800   = (luminance >> 11) << 3

        * = $1001

; 10 SYS <start>
basic   .word basic_end         ; link to the next line
        .word 10                ; line number
        .byte $9e               ; the SYS token
        .text format("%d", start)
        .byte 0                 ; end of line
basic_end
        .word 0                 ; end of program

start
        ; The keyboard is read directly, so no interrupt routine can change
        ; the video registers while the picture shows.
        sei
        #save_registers

        ldx #3
-       lda marker,x
        cmp multicolor_marker,x
        bne hires
        dex
        bpl -

        lda color0_swapped
        jsr swap_nibbles
        sta ted_color0
        sta ted_border          ; the border continues the background
        lda color3_swapped
        jsr swap_nibbles
        sta ted_color3
        lda #control2_multi
        bne show                ; always taken

hires   lda #0
        sta ted_border          ; black: a hires picture has no single background
show    sta mode
        lda ted_control2
        and #control2_keep
        ora #control2_cols40
        ora mode
        sta ted_control2
        lda ted_bitmap
        and #bitmap_keep
        ora #bitmap_at_2000
        sta ted_bitmap
        lda #attrs_at_1800
        sta ted_attributes
        lda #control1_bitmap
        sta ted_control1

        ; The key that started the program may still be down: wait for it to
        ; go up, then for a new key to go down and up again so that it does
        ; not reach BASIC either.
-       jsr any_key
        bne -
-       jsr any_key
        beq -
-       jsr any_key
        bne -

        ; Back to the text screen as it was; $ff06 comes last (index 0).
        #restore_registers
        rts

; Z clear while any key of the keyboard is down.
any_key #read_keyboard

; A with its two nibbles exchanged: the file keeps the two multicolor colors
; hue first, the chip wants luminance in the high nibble.
swap_nibbles
        sta swap_temp
        asl a
        asl a
        asl a
        asl a
        sta swap_high
        lda swap_temp
        lsr a
        lsr a
        lsr a
        lsr a
        ora swap_high
        rts

multicolor_marker
        .text "MULT"
registers
        .byte <ted_control1, <ted_control2, <ted_bitmap, <ted_attributes
        .byte <ted_color0, <ted_color3, <ted_border
register_count = * - registers
saved   .fill register_count, 0
mode    .byte 0
swap_temp
        .byte 0
swap_high
        .byte 0

        .cerror * > luminance, "the viewer runs into the picture"
