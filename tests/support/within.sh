# SPDX-License-Identifier: MIT
# Sourced by the shell tests: within <tenths of a second> <command...> polls the command until
# it succeeds or the time is up; the status says which.
within() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
