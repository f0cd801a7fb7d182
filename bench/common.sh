# Shared by bench/startup.sh and bench/startup-portable.sh.

# The median of the numbers on standard input, one a line.
median() { LC_ALL=C sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# used_data_file FILE: the data file of a program that has been used: no password, the five
# default set names.
used_data_file() {
    printf '[readone]\r\nREAD2=\r\nREAD3=No Password\r\nREAD1=1\r\n[Ruduze Vad Ovo]\r\n' >"$1"
    printf 'NAME%d=Set %d\r\n' 1 1 2 2 3 3 4 4 5 5 >>"$1"
}
