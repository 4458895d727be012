# The command line every elka script answers the way the demo does: --help
# and --version answer on standard output and end with status 0; an
# unknown option or a stray argument is a usage error of two lines on
# standard error, status 2, before anything is done. Sourced.
#   answer_command_line NAME USAGE OPTIONS LEAST MOST [ARG...]
# OPTIONS: the script's own options, space-separated, "=" after one that
# takes a value ("--soak="); LEAST, MOST: how many other arguments (MOST
# "*": any number).

command_line_usage_error() { # NAME WHAT
    printf "%s: %s\nTry '%s --help' for more information.\n" "$1" "$2" "$1" >&2
    exit 2
}

answer_command_line() {
    local name=$1 usage=$2 options=" $3 " least=$4 most=$5 operands=0 ended=
    shift 5
    while (($#)); do
        local arg=$1
        shift
        if [[ -z $ended && $arg == -?* ]]; then
            case $arg in
            --) ended=1 ;;
            --help | -h) printf '%s\n' "$usage"; exit 0 ;;
            --version)
                echo "$name $(awk '/^project\(elka VERSION/ {print $3}' "${BASH_SOURCE[0]%/*}/../CMakeLists.txt")"
                exit 0
                ;;
            *)
                if [[ $options == *" $arg= "* ]]; then
                    (($#)) || command_line_usage_error "$name" "option '$arg' needs a value"
                    shift
                elif [[ $options != *" $arg "* ]]; then
                    command_line_usage_error "$name" "unrecognized option '$arg'"
                fi
                ;;
            esac
        elif [[ $most != "*" ]] && ((operands == most)); then
            command_line_usage_error "$name" "unexpected argument '$arg'"
        else
            operands=$((operands + 1))
        fi
    done
    ((operands >= least)) || command_line_usage_error "$name" "missing argument"
}
