; The uninstall floppy's boot sector.
;
; SETUP.EXE restarts the computer at once, so the disk is usually still in
; drive A: when the BIOS, trying A: first, looks for something to start.
; Rather than "not a bootable disk", this sector starts the first hard disk's
; master boot record as the BIOS would have, and Windows comes back by itself.
; Started as a hard disk itself (the image written to a USB stick or a CF
; card), it would start itself for ever: there it only says what it is.
;
; 8086 instructions only: it must run on every PC. BIOS text mode has no Big5
; font, so its lines are plain English; README.TXT says what they mean.
;
; Assembled as a whole sector. The floppy maker keeps mkfs.fat's BPB (bytes 11
; to 61) and takes the rest from here.

        cpu     8086
        bits    16

RELOCATED       equ 0x0600      ; where this sector moves to
LOADED          equ 0x7C00      ; where a boot record is loaded and started
HARD_DISK       equ 0x80        ; BIOS drive number of the first hard disk
HARD_DISK_COUNT equ 0x0475      ; BIOS data area: how many hard disks it found
READ_TRIES      equ 3

        org     RELOCATED

        jmp     short start     ; DOS and Windows trust a BPB only behind EB xx 90
        nop
        db      "MSWIN4.1"      ; the OEM name least likely to upset a FAT reader
        times   0x3E - ($ - $$) db 0    ; the BPB: mkfs.fat's, not ours

start:
        cli                     ; an 8088 may take an interrupt between the two moves
        xor     ax, ax
        mov     ss, ax
        mov     sp, LOADED
        sti
        mov     ds, ax
        mov     es, ax
        cld
        ; Out of the way of the hard disk's record, which goes where we are.
        mov     si, LOADED
        mov     di, RELOCATED
        mov     cx, 256
        rep     movsw
        jmp     0:relocated

relocated:
        test    dl, dl          ; 80h and up: the BIOS started us as a hard disk
        js      started_as_hard_disk
        mov     si, starting_text
        call    show
        mov     si, no_hard_disk_text
        cmp     byte [HARD_DISK_COUNT], 0
        je      stop

        mov     bp, READ_TRIES
read_record:
        mov     ax, 0x0201      ; read one sector
        mov     bx, LOADED      ; to 0000:7C00
        mov     cx, 0x0001      ; cylinder 0, sector 1
        mov     dx, HARD_DISK   ; head 0
        int     0x13
        jnc     check_signature
        mov     al, ah          ; the BIOS's status goes on the line
        mov     di, read_status
        call    put_hex
        xor     ah, ah          ; a failed read: reset the disk, then try again
        mov     dl, HARD_DISK
        int     0x13
        dec     bp
        jnz     read_record
        mov     si, read_error_text
        jmp     stop

check_signature:
        mov     si, no_record_text
        cmp     word [LOADED + 510], 0xAA55
        jne     stop
        mov     dl, HARD_DISK   ; the record learns its drive from DL
        jmp     0:LOADED

started_as_hard_disk:
        mov     si, not_startup_text
        call    show
        jmp     wait_for_key

; Shows why the hard disk cannot be started (the text at SI), then what to do.
stop:
        call    show
        mov     si, take_out_text
        call    show
wait_for_key:
        xor     ah, ah
        int     0x16
        int     0x19            ; let the BIOS look for a disk again
        jmp     wait_for_key    ; no BIOS returns, but nothing runs on if one does

; Shows the zero-terminated text at DS:SI on the screen.
show:
        lodsb
        test    al, al
        jz      shown
        mov     ah, 0x0E        ; teletype output, page 0
        mov     bx, 0x0007
        int     0x10
        jmp     show
shown:
        ret

; Writes AL as two hexadecimal digits to ES:DI.
put_hex:
        push    ax
        mov     cl, 4
        shr     al, cl
        call    put_digit
        pop     ax
put_digit:
        and     al, 0x0F
        add     al, 0x90        ; 0-9 to "0"-"9", 10-15 to "A"-"F"
        daa
        adc     al, 0x40
        daa
        stosb
        ret

starting_text:
        db      "Uninstall disk in drive A. Starting the computer from its hard disk.", 13, 10, 0
not_startup_text:
        db      "This is the uninstall disk, not a startup disk. Remove it and press a key.", 13, 10, 0
no_hard_disk_text:
        db      "No hard disk.", 0
read_error_text:
        db      "Hard disk read error "
read_status:
        db      "??h.", 0
no_record_text:
        db      "Hard disk has no startup record.", 0
take_out_text:
        db      " Take the disk out of drive A: and press a key.", 13, 10, 0

        times   510 - ($ - $$) db 0
        dw      0xAA55
