-- SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
-- SPDX-License-Identifier: GPL-3.0-or-later

-- As spread.lua, but each of wrk's threads stops once it has had the number of answers its
-- second argument gives: the memory of the server is read after a known number of requests.
local paths = {}
local limit = 0
local answered = 0

function init(args)
    for line in io.lines(args[1]) do
        if #line > 0 then
            paths[#paths + 1] = line
        end
    end
    limit = tonumber(args[2])
    math.randomseed(os.time() + tonumber(tostring(paths):match("0x(%x+)"), 16) % 1000003)
end

function request()
    return wrk.format("GET", paths[math.random(#paths)])
end

function response(status, headers, body)
    answered = answered + 1
    if answered >= limit then
        wrk.thread:stop()
    end
end

function done(summary, latency, requests)
    local e = summary.errors
    io.write(string.format("wrk-figures requests=%d seconds=%.3f p50=%.3f p99=%.3f "
                               .. "errors=%d status=%d\n",
                           summary.requests, summary.duration / 1e6, latency:percentile(50) / 1e3,
                           latency:percentile(99) / 1e3,
                           e.connect + e.read + e.write + e.timeout, e.status))
end
