# Writes INPUT to OUTPUT with CR LF line ends (the licence box breaks lines
# only at CR LF). Run with cmake -DINPUT=... -DOUTPUT=... -P crlf.cmake.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
