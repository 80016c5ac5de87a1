; A hard disk's master boot record for the boot tests: it says over the first
; serial port that it runs, and which drive number it was given in DL, then
; stops the processor. The tests read the port's output.

        cpu     8086
        bits    16
        org     0x7C00

COM1    equ     0x3F8

        xor     ax, ax
        mov     ds, ax
        mov     bl, dl
        mov     si, runs_text
        call    send_text
        mov     al, bl
        mov     cl, 4
        shr     al, cl
        call    send_digit
        mov     al, bl
        call    send_digit
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

; Sends the low four bits of AL as a hexadecimal digit.
send_digit:
        and     al, 0x0F
        add     al, '0'
        cmp     al, '9'
        jbe     send_byte
        add     al, 'A' - '9' - 1
send_byte:
        mov     dx, COM1
        out     dx, al
        ret

runs_text:
        db      "hard disk boot record runs, DL=", 0
end_text:
        db      "h", 13, 10, 0

        times   510 - ($ - $$) db 0
        dw      0xAA55
