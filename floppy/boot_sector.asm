; The uninstall floppy's boot sector.
;
; SETUP.EXE restarts the computer at once, so the disk is usually still in
; drive A: when the BIOS, trying A: first, looks for something to start.
; Rather than "not a bootable disk", this sector starts the first hard disk's
; master boot record as the BIOS would have, and Windows comes back by itself.
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
        mov     si, starting_text
        call    show
        cmp     byte [HARD_DISK_COUNT], 0
        je      cannot_start

        mov     bp, READ_TRIES
read_record:
        mov     ax, 0x0201      ; read one sector
        mov     bx, LOADED      ; to 0000:7C00
        mov     cx, 0x0001      ; cylinder 0, sector 1
        mov     dx, HARD_DISK   ; head 0
        int     0x13
        jnc     check_signature
        xor     ah, ah          ; a failed read: reset the disk, then try again
        mov     dl, HARD_DISK
        int     0x13
        dec     bp
        jnz     read_record
        jmp     cannot_start

check_signature:
        cmp     word [LOADED + 510], 0xAA55
        jne     cannot_start
        mov     dl, HARD_DISK   ; the record learns its drive from DL
        jmp     0:LOADED

cannot_start:
        mov     si, remove_text
        call    show
        xor     ah, ah          ; wait for a key
        int     0x16
        int     0x19            ; and let the BIOS look for a disk again

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

starting_text:
        db      "Uninstall disk in drive A: starting the computer from its hard disk.", 13, 10, 0
remove_text:
        db      "Cannot start the hard disk. Take the disk out of drive A: and press a key.", 13, 10, 0

        times   510 - ($ - $$) db 0
        dw      0xAA55
