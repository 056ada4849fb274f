; What the two picture viewers share: the TED and keyboard registers, and
; saving, restoring and reading them directly. A viewer that includes this
; defines `registers` (the numbers of the video registers it changes, $ff06
; at index 0), `register_count` and `saved` (room for their values).

ted_control2    = $ff07         ; multicolor, 40 columns
ted_keyboard    = $ff08         ; keyboard latch: write to sample, read columns
ted_bitmap      = $ff12         ; bitmap address (bits 3-5), ROM/RAM fetch (bit 2)
ted_attributes  = $ff14         ; luminance and color address (bits 3-7)
ted_color0      = $ff15         ; multicolor pixel value 0
ted_color3      = $ff16         ; multicolor pixel value 3
ted_border      = $ff19
keyboard_rows   = $fd30         ; 6529 port driving the keyboard matrix rows
key_count       = $ef           ; keys waiting in the system keyboard buffer

; The video registers as BASIC had them, into `saved`.
save_registers .macro
        ldx #register_count - 1
-       ldy registers,x
        lda $ff00,y
        sta saved,x
        dex
        bpl -
        .endm

; Back to the text screen as it was ($ff06 comes last, index 0), with no key
; left waiting and interrupts let in again.
restore_registers .macro
        ldx #register_count - 1
-       ldy registers,x
        lda saved,x
        sta $ff00,y
        dex
        bpl -
        lda #0
        sta key_count
        cli
        .endm

; A routine leaving Z clear while any key of the keyboard is down.
read_keyboard .macro
        lda #0
        sta keyboard_rows       ; every row low
        lda #$ff
        sta ted_keyboard        ; joysticks off, sample the columns
        lda ted_keyboard
        eor #$ff                ; a pressed key reads as 0
        rts
        .endm
