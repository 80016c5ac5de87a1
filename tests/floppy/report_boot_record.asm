; A hard disk's master boot record for the boot tests: it says over the first
; serial port that it runs, the CS:IP it was started at and the drive number
; it was given in DL, then stops the processor. The tests read the port's
; output.

        cpu     8086
        bits    16
        org     0x7C00

COM1    equ     0x3F8

start:
        call    started         ; the first instruction: its return address
started:                        ; gives the IP we were started at
        pop     di
        sub     di, started - start
        mov     bx, cs
        mov     bp, dx
        xor     ax, ax
        mov     ds, ax
        mov     si, runs_text
        call    send_text
        mov     ax, bx
        mov     cx, 4
        call    send_hex
        mov     al, ':'
        call    send_byte
        mov     ax, di
        mov     cx, 4
        call    send_hex
        mov     si, drive_text
        call    send_text
        mov     ax, bp
        mov     ah, al
        mov     cx, 2
        call    send_hex
        mov     si, end_text
        call    send_text
stop:
        cli
        hlt
        jmp     stop

; Sends the zero-terminated text at DS:SI.
send_text:
        lodsb
        test    al, al
        jz      sent
        call    send_byte
        jmp     send_text
sent:
        ret

; Sends the top CX hexadecimal digits of AX.
send_hex:
        push    cx
        mov     cl, 4
        rol     ax, cl
        push    ax
        and     al, 0x0F
        add     al, '0'
        cmp     al, '9'
        jbe     digit
        add     al, 'A' - '9' - 1
digit:
        call    send_byte
        pop     ax
        pop     cx
        loop    send_hex
        ret

send_byte:
        mov     dx, COM1
        out     dx, al
        ret

runs_text:
        db      "hard disk boot record runs at ", 0
drive_text:
        db      ", DL=", 0
end_text:
        db      "h", 13, 10, 0

        times   510 - ($ - $$) db 0
        dw      0xAA55
