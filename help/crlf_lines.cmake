# cmake -DINPUT=FILE -DOUTPUT=FILE -P crlf_lines.cmake: copies a text file with
# every line ended by CR LF, as Windows' own text files are.
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
