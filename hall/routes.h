#pragma once

#include <string>

#include "hall/http_server.h"
#include "hall/rate_limit.h"
#include "hall/replay_gate.h"
#include "hall/replay_process.h"
#include "hall/store.h"

// What the handlers share; one per server.
struct Hall {
    Store& store;
    ReplayGate& gate;
    RateLimit& rate;
    ReplayLimits replay;
    std::string pageDir; // a real path; empty: no page
    size_t maxBody = 0;
    int ratePerMinute = 0;
};

// The API, the hall page and the game's page:
//   GET  /api/hall            {"hall": true, ...}: a page served by a hall may offer to send rounds to it
//   POST /api/rounds          a round: 201 {"id","score","rank"}, 200 when kept already, 4xx with {"error"}
//   GET  /api/rounds?top=N    the N best (1 to 100, 10 unless given), best first
//   GET  /api/rounds/ID       one, with "round", its link's fragment
//   GET  /hall                the best 100 as a page
//   GET  /...                 the game's page, from its folder
// Every route is chosen before any body is read, and only POST /api/rounds
// reads one.
void AddRoutes(BoundedServer& server, Hall& hall);
