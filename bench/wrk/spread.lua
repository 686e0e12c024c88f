-- SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
-- SPDX-License-Identifier: GPL-3.0-or-later

-- Spreads wrk's requests over the paths listed one a line in the file its first argument names,
-- each connection picking them at random, with no If-None-Match and no Accept-Encoding: every
-- answer is a whole page. At the end, one line the benchmark reads.
local paths = {}

function init(args)
    for line in io.lines(args[1]) do
        if #line > 0 then
            paths[#paths + 1] = line
        end
    end
    -- Each thread of wrk has a state of its own: a seed of its own too.
    math.randomseed(os.time() + tonumber(tostring(paths):match("0x(%x+)"), 16) % 1000003)
end

function request()
    return wrk.format("GET", paths[math.random(#paths)])
end

function done(summary, latency, requests)
    local e = summary.errors
    io.write(string.format("wrk-figures requests=%d seconds=%.3f p50=%.3f p99=%.3f "
                               .. "errors=%d status=%d\n",
                           summary.requests, summary.duration / 1e6, latency:percentile(50) / 1e3,
                           latency:percentile(99) / 1e3,
                           e.connect + e.read + e.write + e.timeout, e.status))
end
