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

_varokconfig_cli_files() {
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$2") $(compgen -f -X "!*.$1" -- "$2"))
}

_varokconfig_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="report probe read write show diff verify build help"
    local line="--baud --parity --data --stop --flow --timeout"
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --version --help" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]}
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
        report) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- "$cur")) ;;
        *) _varokconfig_cli_files usr "$cur" ;;
        esac
        return ;;
    --backup) _varokconfig_cli_files usr "$cur"; return ;;
    esac
    local options
    case $command in
    report) options="--html -o" ;;
    probe) options="--port $line" ;;
    read) options="--port $line -o" ;;
    write) options="--port $line --backup --no-readback" ;;
    verify) options="--port $line" ;;
    show | diff) options="--json" ;;
    build) options="-o" ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    elif [[ $command == build ]]; then
        _varokconfig_cli_files json "$cur"
    elif [[ $command != probe && $command != read ]]; then
        _varokconfig_cli_files usr "$cur"
    fi
}
complete -F _varokconfig_cli varokconfig-cli
