# The body of the demo home's brew. Before it: state='<package folder>' and pause=<seconds>.
# state/installed, outdated, upgraded, available: one JSON file per package, in a folder per kind
# ("formulae", "casks"); state/outdated/<kind>/<name>.line: the "old -> new" line of an upgrade;
# state/apps/<token>.plist and .path: the Info.plist a cask upgrade puts in its app, and where.

say() {
    printf '%s\n' "$1"
    sleep "$pause"
}

fail() {
    printf 'Error: %s\n' "$1" >&2
    exit 1
}

# The JSON objects in the files of one folder, separated by commas.
objects() {
    separator=''
    for file in "$1"/*.json; do
        [ -f "$file" ] || continue
        printf '%s' "$separator"
        cat "$file"
        separator=','
    done
}

document() {
    printf '{"formulae":['
    objects "$1/formulae"
    printf '],"casks":['
    objects "$1/casks"
    printf ']}\n'
}

# A name brew could take for a package (never a path, never an option).
is_name() {
    case $1 in '' | -* | .* | */*) return 1 ;; esac
    return 0
}

# The kind ("formulae" or "casks") under which `area` holds `name`; brew looks for a formula first.
kind_of() { # area name [kind]
    is_name "$2" || return 1
    for candidate in ${3:-formulae casks}; do
        if [ -f "$state/$1/$candidate/$2.json" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

upgrade_package() { # kind name
    say "==> Upgrading $2"
    say "  $(cat "$state/outdated/$1/$2.line")"
    say "==> Fetching $2"
    say "==> Downloading https://ghcr.io/v2/homebrew/core/$2/manifests/latest"
    say "######################################################################## 100.0%"
    if [ "$1" = casks ]; then
        say "==> Backing up $2 app"
        say "==> Moving App to the Applications folder"
    else
        say "==> Pouring $2--latest.bottle.tar.gz"
        say "🍺  Cellar/$2: 1,204 files, 18.6MB"
    fi
    mv "$state/upgraded/$1/$2.json" "$state/installed/$1/$2.json"
    rm -f "$state/outdated/$1/$2.json" "$state/outdated/$1/$2.line"
    if [ -f "$state/apps/$2.path" ]; then
        cp "$state/apps/$2.plist" "$(cat "$state/apps/$2.path")"
    fi
    say "==> $2 was successfully upgraded!"
}

upgrade() {
    kind=''
    if [ "${1-}" = --cask ]; then
        kind=casks
        shift
    fi
    if [ $# -eq 0 ]; then
        found=''
        for kind in formulae casks; do
            for file in "$state/outdated/$kind"/*.json; do
                [ -f "$file" ] || continue
                name=$(basename "$file" .json)
                # Pinned formulae stay at their version, as brew upgrade leaves them.
                if grep -q '"pinned":true' "$file"; then
                    printf 'Warning: Not upgrading %s, pinned\n' "$name" >&2
                    continue
                fi
                found=yes
                upgrade_package "$kind" "$name"
            done
        done
        [ -n "$found" ] || say "==> All packages are up to date."
        return 0
    fi
    found=$(kind_of installed "$1" "$kind") || fail "$1 is not installed."
    if [ -f "$state/outdated/$found/$1.json" ]; then
        upgrade_package "$found" "$1"
    else
        printf 'Warning: %s is already up to date.\n' "$1" >&2
    fi
}

install() {
    kind=''
    if [ "${1-}" = --cask ]; then
        kind=casks
        shift
    fi
    if kind_of installed "${1-}" "$kind" >/dev/null; then
        printf 'Warning: %s is already installed.\n' "$1" >&2
        return 0
    fi
    found=$(kind_of available "${1-}" "$kind") || fail "No available formula or cask with the name \"${1-}\"."
    say "==> Fetching $1"
    say "==> Downloading https://ghcr.io/v2/homebrew/core/$1/manifests/latest"
    say "######################################################################## 100.0%"
    say "==> Installing $1"
    mv "$state/available/$found/$1.json" "$state/installed/$found/$1.json"
    say "🍺  $1 was successfully installed!"
}

uninstall() {
    kind=''
    if [ "${1-}" = --cask ]; then
        kind=casks
        shift
    fi
    found=$(kind_of installed "${1-}" "$kind") || fail "No such keg or cask: ${1-}"
    say "==> Uninstalling $1"
    rm -f "$state/outdated/$found/$1.json" "$state/outdated/$found/$1.line" "$state/upgraded/$found/$1.json"
    mv "$state/installed/$found/$1.json" "$state/available/$found/$1.json"
    say "Uninstalling $1... (312 files, 24.1MB)"
}

search() {
    case ${1-} in
    --cask) kind=casks ;;
    --formula) kind=formulae ;;
    *) fail "Invalid usage: brew search --cask|--formula <text>" ;;
    esac
    matches=$(for file in "$state/installed/$kind"/*.json "$state/available/$kind"/*.json; do
        [ -f "$file" ] && basename "$file" .json
    done | grep -i -F -- "${2-}" | sort -u)
    [ -n "$matches" ] || fail "No formulae or casks found for \"${2-}\"."
    printf '%s\n' "$matches"
}

command=${1-}
[ $# -eq 0 ] || shift
case $command in
info)
    [ "$*" = "--json=v2 --installed" ] || fail "Invalid usage: this Homebrew only answers info --json=v2 --installed"
    document "$state/installed"
    ;;
outdated) document "$state/outdated" ;;
upgrade) upgrade "$@" ;;
install) install "$@" ;;
uninstall) uninstall "$@" ;;
search) search "$@" ;;
cleanup)
    say "Removing: Cache/wget--1.24.4.bottle.tar.gz... (1.5MB)"
    say "Removing: Cache/node--21.6.2.bottle.tar.gz... (14.2MB)"
    say "==> This operation has freed approximately 15.7MB of disk space."
    ;;
update)
    say "==> Updating Homebrew..."
    say "Already up-to-date."
    ;;
*) fail "Unknown command: $command" ;;
esac
