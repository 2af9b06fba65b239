# Writes the projects the print check lays out, as JSON for `varokconfig-cli build`, into the
# folder `out`: the same ones on every run (the random numbers start from a fixed value). Kinds, each named in the file name:
#   plain     1 to 3 inputs of 1 to 5 stages, 1 to 5 plays of 5 to 60 s, 0 to 4 modules;
#   full      every input with all eight stages, every zone available;
#   relays    eight modules, every stage switching all sixteen relays (all 64 stages in some);
#   unknown   lengths empty, 0, not a number, below 0, with hundreds of leading zeros, or huge;
#   zero      lengths of 0, with and without pauses, so that totals are 0;
#   worst     64 stages of the longest lengths, plays and pauses, all zones and relays.
function rnd(n) {
    state = (state * 16807) % 2147483647
    return state % n
}
function list(from, to, chance,    i, text) {
    text = ""
    for (i = from; i <= to; i++)
        if (rnd(100) < chance)
            text = text (text == "" ? "" : ", ") i
    return text
}
function relays(modules, chance,    m, k, text) {
    text = ""
    for (m = 1; m <= modules; m++)
        for (k = 1; k <= 2; k++)
            if (rnd(100) < chance)
                text = text (text == "" ? "" : ", ") "\"" m " K" k "\""
    return text
}
function zeros(n,    text) {
    text = ""
    while (n-- > 0)
        text = text "0"
    return text
}
# kind, number: the project; lengths[] set by the caller.
function project(kind, number,    file, splitters, modules, inputs, n, s, stages, on, text, zoneTop, chance) {
    file = sprintf("%s/%03d-%s.json", out, number, kind)
    splitters = kind == "plain" ? rnd(3) : 2
    modules = kind == "plain" ? rnd(5) : kind == "relays" || kind == "worst" ? 8 : 1 + rnd(8)
    zoneTop = splitters == 0 ? 0 : splitters == 1 ? 4 : 8
    printf "{\n  \"composition\": {\"amplifiers\": 1, \"splitters\": %d, \"modules\": %d, \"fireConsoles\": 1, " \
           "\"announcerConsoles\": 1, \"gong\": true, \"auxPriority\": false, \"musicZones\": []},\n", splitters, modules > file
    printf "  \"identity\": {\"serialNumber\": \"%04d\", \"date\": [\"01\", \"02\", \"25\"], \"version\": \"3\"},\n", number > file
    text = ""
    for (n = 1; n <= 72; n++)
        text = text (n == 1 ? "" : ", ") "\"" lengths[n] "\""
    printf "  \"messageLengths\": [%s],\n  \"inputs\": [\n", text > file
    inputs = kind == "plain" ? 1 + rnd(3) : kind == "full" || kind == "worst" || (kind == "relays" && number % 3 == 0) ? 8 : 1 + rnd(8)
    for (n = 1; n <= 8; n++) {
        stages = n > inputs ? 0 : kind == "plain" ? 1 + rnd(5) : kind == "full" || kind == "worst" || kind == "relays" ? 8 : 1 + rnd(8)
        printf "    {\"input\": %d, \"stages\": [\n", n > file
        for (s = 1; s <= 8; s++) {
            on = s <= stages
            chance = kind == "relays" || kind == "worst" ? 100 : 40
            printf "      {\"stage\": %d, \"on\": %s, \"message\": %d, \"repeats\": %d, \"pause\": %d, " \
                   "\"zones\": [%s], \"relays\": [%s]}%s\n",
                s, on ? "true" : "false", on ? 1 + rnd(72) : 0,
                !on ? 0 : kind == "worst" ? 255 : kind == "plain" ? 1 + rnd(5) : s == stages && rnd(4) == 0 ? 0 : 1 + rnd(kind == "full" ? 255 : 6),
                !on ? 0 : kind == "worst" ? 35 : kind == "zero" && rnd(2) == 0 ? 0 : 5 * rnd(8),
                on ? (kind == "worst" || rnd(3) == 0 ? list(1, zoneTop, 100) : list(1, zoneTop, 50)) : "",
                on ? relays(modules, chance) : "", s < 8 ? "," : "" > file
        }
        printf "    ]}%s\n", n < 8 ? "," : "" > file
    }
    printf "  ]\n}\n" > file
    close(file)
}
BEGIN {
    state = 20260131
    odd[0] = ""; odd[1] = "0"; odd[2] = "abc"; odd[3] = "-5"; odd[4] = "-2147483648"; odd[5] = "2147483647"
    odd[6] = zeros(300) "12"; odd[7] = "99999999999999999999"; odd[8] = "7"; odd[9] = "45"
    number = 0
    for (i = 0; i < 240; i++) {
        kind = i < 110 ? "plain" : i < 140 ? "full" : i < 170 ? "relays" : i < 210 ? "unknown" : "zero"
        for (n = 1; n <= 72; n++)
            lengths[n] = kind == "unknown" ? odd[rnd(10)] : kind == "zero" ? (rnd(4) == 0 ? "3" : "0") : \
                         kind == "plain" ? 5 + rnd(56) : 1 + rnd(kind == "full" ? 999 : 90)
        project(kind, ++number)
    }
    for (n = 1; n <= 72; n++)
        lengths[n] = n % 3 == 0 ? zeros(200) "2147483647" : "2147483647"
    project("worst", ++number)
}
