# bash completion for pagerprog-cli: commands, options, settings files, field names and
# the items of choice fields (these come from the program itself, so they always match it),
# and the USB ports programmers are plugged into.

# "usb@1-2.3" for each programmer (vendor 04D8, product 1000) attached: the USB device its
# hidraw node hangs off, two levels above the HID device.
_pagerprog_cli_ports() {
    local node hid
    for node in /sys/class/hidraw/*/device; do
        hid=$(readlink -f "$node") || continue
        [[ ${hid##*/} == *:04D8:1000.* ]] || continue
        hid=${hid%/*}
        hid=${hid%/*}
        echo "usb@${hid##*/}"
    done
}

_pagerprog_cli() {
    local cur prev words cword split
    _init_completion -s -n = || return

    case $prev in
        --revision) COMPREPLY=($(compgen -W "TV7r2 TV7r3 TV8" -- "$cur")); return ;;
        --port) COMPREPLY=($(compgen -W "usb lpt1 lpt2 $(_pagerprog_cli_ports)" -- "$cur")); return ;;
        --on-fail) COMPREPLY=($(compgen -W "reuse skip" -- "$cur")); return ;;
        --simulate) COMPREPLY=($(compgen -W "usb lpt usb: lpt:" -- "$cur")); compopt -o nospace; return ;;
        --data-dir) _filedir -d; return ;;
        -o | --db | --trace | --serials | --from) _filedir; return ;;
        --capcodes) _filedir csv; return ;;
        --pre-unit | --post-unit) _filedir; COMPREPLY+=($(compgen -c -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "table csv json" -- "$cur")); return ;;
        --by) COMPREPLY=($(compgen -W "day batch bench programmer operator" -- "$cur")); return ;;
        --customer | --count | --resume | --join | --batch | --since | --until | --capcode | --serial | --operator | \
            --hook-timeout) return ;;
    esac
    $split && return

    # The command is the first word that is neither an option nor an option's value.
    local i command=
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --customer | --revision | --data-dir | --port | --simulate | --db | --trace | --operator) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--customer --revision --data-dir --allow-default-prompts --port
                --simulate --db --operator --trace --ack-polling -q --quiet -v --verbose --help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "show new edit diff read write probe log restore verify history audit report record batch" \
                -- "$cur"))
        fi
        return
    fi

    case $command in
        show) COMPREPLY=($(compgen -W "--states --json" -- "$cur")); _filedir eep ;;
        diff) COMPREPLY=($(compgen -W "--json" -- "$cur")); _filedir eep ;;
        read) COMPREPLY=($(compgen -W "-o" -- "$cur")) ;;
        log) COMPREPLY=($(compgen -W "--batch --since --until --capcode --serial --format --json" -- "$cur")) ;;
        restore) COMPREPLY=($(compgen -W "--force --serial" -- "$cur")) ;;
        history) COMPREPLY=($(compgen -W "--capcode --format --json" -- "$cur")) ;;
        audit) COMPREPLY=($(compgen -W "--json" -- "$cur")); _filedir eep ;;
        report) COMPREPLY=($(compgen -W "--by --since --until --format --json" -- "$cur")) ;;
        record)
            if [[ $prev == record ]]; then
                COMPREPLY=($(compgen -W "setup copy sync status" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "--print-sql --from" -- "$cur"))
            fi
            ;;
        batch)
            if [[ $prev == batch ]]; then COMPREPLY=($(compgen -W "release" -- "$cur")); else
                COMPREPLY=($(compgen -W "--batch" -- "$cur")); fi
            ;;
        new | edit | write | verify)
            local listed
            listed=$("${words[0]}" --list-fields 2>/dev/null)
            if [[ $cur == *=* ]]; then
                # A choice's items follow its name and a tab, separated by "|"; other
                # fields take anything they take. Where "=" breaks words, readline
                # completes the value alone.
                local field=${cur%%=*} value=${cur#*=} item items prefix=${cur%%=*}=
                [[ $COMP_WORDBREAKS == *=* ]] && prefix=
                items=$(awk -F '\t' -v field="$field" '$1 == field { print $2 }' <<<"$listed")
                while IFS= read -r item; do
                    [[ -n $item && $item == "$value"* ]] && COMPREPLY+=("$(printf '%q' "$prefix$item")")
                done <<<"${items//|/$'\n'}"
                return
            fi
            if [[ $cur == -* ]]; then
                local options
                case $command in
                    new | edit) options="-o" ;;
                    write) options="--count --hands-free --gang --on-fail --capcodes --resume --join --unique --scan
                        --serials --pre-unit --post-unit --hook-timeout --json" ;;
                    verify) options="--json" ;;
                esac
                COMPREPLY=($(compgen -W "$options --" -- "$cur"))
                return
            fi
            COMPREPLY=($(compgen -W "$(cut -f1 <<<"$listed")" -S = -- "$cur"))
            compopt -o nospace
            [[ $command != new ]] && _filedir eep
            ;;
    esac
}

complete -F _pagerprog_cli pagerprog-cli
