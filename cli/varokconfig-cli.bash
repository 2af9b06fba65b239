# Bash completion for varokconfig-cli: commands, their options, the line settings' values,
# the port numbers that have a device, and project (.usr) or configuration (.json) files.

# The port numbers with a device: the comN entries of $VAROKCONFIG_PORTS, else the serial devices
# of the usual names (COM1-32 ttyS, COM33-64 ttyUSB, COM65-96 ttyACM).
_varokconfig_cli_ports() {
    local dev n
    if [[ -n ${VAROKCONFIG_PORTS-} ]]; then
        for dev in "$VAROKCONFIG_PORTS"/com*; do
            n=${dev##*/com}
            [[ -e $dev && $n =~ ^[0-9]+$ ]] && echo "$n"
        done
        return
    fi
    for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
        [[ -e $dev ]] || continue
        n=${dev##*/tty}
        case $n in
        S[0-9]*) n=$((${n#S} + 1)) ;;
        USB[0-9]*) n=$((${n#USB} + 33)) ;;
        ACM[0-9]*) n=$((${n#ACM} + 65)) ;;
        *) continue ;;
        esac
        ((n <= 96)) && echo "$n"
    done
}

# Directories, and the files whose extension matches the pattern $1 ('[uU][sS][rR]': Hall.usr and
# HALL.USR alike); every file without $1. One name a line: names with spaces stay whole, and none is
# taken as a pattern. Readline takes the quotes and backslashes the user typed off the word before
# compgen looks for names.
_varokconfig_cli_files() {
    compopt -o filenames 2>/dev/null
    if [[ -n $1 ]]; then
        mapfile -t COMPREPLY < <(compgen -d -- "$2"; compgen -f -X "!*.$1" -- "$2")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$2")
    fi
}

_varokconfig_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="report probe read write show diff verify build check help"
    local line="--baud --parity --data --stop --flow --timeout" usr='[uU][sS][rR]'
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --version --help" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]} i
    # After "--" every word is a file; an option's value is skipped (a file may be named "--").
    for ((i = 2; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --) break ;;
        --port | --baud | --parity | --data | --stop | --flow | --timeout | -o | --backup) ((i++)) ;;
        esac
    done
    if ((i < COMP_CWORD)); then
        _varokconfig_cli_operands "$command" "$cur"
        return
    fi
    case $prev in
    --port) COMPREPLY=($(compgen -W "$(_varokconfig_cli_ports)" -- "$cur")); return ;;
    --baud) COMPREPLY=($(compgen -W "110 300 600 1200 2400 4800 9600 14400 19200 38400 56000 57600 115200
                                     128000 256000" -- "$cur")); return ;;
    --parity) COMPREPLY=($(compgen -W "none odd even mark space" -- "$cur")); return ;;
    --data) COMPREPLY=($(compgen -W "5 6 7 8" -- "$cur")); return ;;
    --stop) COMPREPLY=($(compgen -W "1 1.5 2" -- "$cur")); return ;;
    --flow) COMPREPLY=($(compgen -W "none soft hard" -- "$cur")); return ;;
    --timeout) return ;;
    -o)
        case $command in
        # The report goes to any file, or to standard output.
        report)
            _varokconfig_cli_files "" "$cur"
            [[ -z $cur || $cur == - ]] && COMPREPLY+=(-)
            ;;
        *) _varokconfig_cli_files "$usr" "$cur" ;;
        esac
        return ;;
    --backup) _varokconfig_cli_files "$usr" "$cur"; return ;;
    esac
    local options
    case $command in
    report) options="--html -o" ;;
    probe) options="--port $line" ;;
    read) options="--port $line -o" ;;
    write) options="--port $line --backup --no-readback" ;;
    verify) options="--port $line" ;;
    show | diff | check) options="--json" ;;
    # "-": the configuration from standard input.
    build) options="-o -" ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help --" -- "$cur"))
    else
        _varokconfig_cli_operands "$command" "$cur"
    fi
}

# The operands of command $1 for the word $2: build's configuration (or "-"), else projects.
_varokconfig_cli_operands() {
    case $1 in
    probe | read | help) ;;
    build)
        _varokconfig_cli_files '[jJ][sS][oO][nN]' "$2"
        [[ -z $2 || $2 == - ]] && COMPREPLY+=(-)
        ;;
    *) _varokconfig_cli_files '[uU][sS][rR]' "$2" ;;
    esac
}
complete -F _varokconfig_cli varokconfig-cli
