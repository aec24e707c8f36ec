// Decoding one realistic DNS reply (over 1 KB: SOA, NS, MX, A and TXT records with
// compressed names), by our codec and, side by side on the same bytes, by the system's
// DNS library (wire to packet, then free).
#include "net/dns/id_dns_message.h"
#include "tests/fixtures/dns_wire.h"

#include <benchmark/benchmark.h>
#ifdef NORVANE_BENCH_SYSTEM_DNS
#include <ldns/ldns.h>
#endif

#include <string>

namespace {

constexpr uint16_t kId = 0x5A5A;
constexpr uint16_t kAnswers = 30;  // SOA, 4 NS, 3 MX, 8 A, 14 TXT

// A short name under example.org, compressed against the question's name at offset 12.
Wire Under(const std::string& label) {
    Wire w;
    w.U8(static_cast<uint8_t>(label.size())).Raw(label).Pointer(12);
    return w;
}

// A record owned by example.org (a pointer to the question's name).
void Add(Wire& w, uint16_t type, uint32_t ttl, const Wire& data) {
    w.Pointer(12).RecordHead(type, ttl, static_cast<uint16_t>(data.Size())).Raw(data.Str());
}

std::string RealisticReply() {
    Wire w;
    w.Header(kId, 0x8580, 1, kAnswers, 4, 4).Name("example.org").U16(255).U16(1);
    Add(w, 6, 3600, Wire(Under("ns1")).Raw(Under("hostmaster").Str())
                        .U32(2024061501).U32(7200).U32(3600).U32(1209600).U32(300));
    for (const char* ns : {"ns1", "ns2", "ns3", "ns4"}) Add(w, 2, 86400, Under(ns));
    const char* exchanges[] = {"mx1", "mx2", "mx3"};
    for (int i = 0; i < 3; ++i)
        Add(w, 15, 3600, Wire().U16(static_cast<uint16_t>(10 * (i + 1))).Raw(Under(exchanges[i]).Str()));
    for (uint8_t i = 1; i <= 8; ++i) Add(w, 1, 300, Wire().Bytes({192, 0, 2, i}));
    // TXT, the size of what sites publish for mail policy and ownership checks
    const std::string texts[] = {
        "v=spf1 ip4:192.0.2.0/24 ip4:198.51.100.0/24 include:_spf.example.net -all",
        "site-verification=Zm9vYmFyYmF6cXV4cXV1eGNvcmdlZ3JhdWx0Z2FycGx5",
        "ms=ms48192731",
        "docusign=1b2c3d4e-5f60-7182-93a4-b5c6d7e8f901",
        "apple-domain-verification=AbCdEfGhIjKlMnOp",
        "globalsign-domain-verification=q9w8e7r6t5y4u3i2o1p0a9s8d7f6g5h4j3k2l1",
        "atlassian-domain-verification=Zx8Yw7Vu6Ts5Rq4Po3Nm2Lk1Jj0Hh9Gg8Ff7Ee6Dd5Cc",
        "v=DMARC1; p=reject; rua=mailto:dmarc@example.org",
        "google-site-verification=4ibFUgB5wXbhNlGvZzXyQoKwqT1nI0cJ8u2h3sDfE6g",
        "MS=4D9C9E0F2B7A1D3C5E8F0A2B4C6D8E0F1A3B5C7D",
        "adobe-idp-site-verification=7e6f5a4b-3c2d-1e0f-9a8b-7c6d5e4f3a2b",
        "stripe-verification=5b8e2f1c9d4a7e3b6f0c2d5a8e1b4f7c0d3a6e9b2f5c8d1a4e7b0f3c6d9a2e5b",
        "v=spf1 include:mail.example.net include:relay.example.com ~all",
        "zoom-domain-verification=ZOOM_verify_a1b2c3d4e5f6a7b8c9d0e1f2a3b4c5d6"};
    for (const std::string& text : texts)
        Add(w, 16, 3600, Wire().U8(static_cast<uint8_t>(text.size())).Raw(text));
    // Authority: the NS set again; additional: their addresses.
    for (const char* ns : {"ns1", "ns2", "ns3", "ns4"}) Add(w, 2, 86400, Under(ns));
    for (uint8_t i = 1; i <= 4; ++i) {
        w.Raw(Under("ns" + std::to_string(i)).Str()).RecordHead(1, 86400, 4)
            .Bytes({198, 51, 100, static_cast<uint8_t>(52 + i)});
    }
    return w;
}

const std::string& Reply() {
    static const std::string reply = RealisticReply();
    return reply;
}

void BM_DecodeReply_Norvane(benchmark::State& state) {
    TIdDNSMessage m;
    m.ReplyPacket = Reply();
    m.QueryLength = 29;
    m.DNSHeader.ID = kId;
    m.DecodeReply();
    if (m.Answers.Count() != kAnswers || m.Authority.Count() != 4 || m.Additional.Count() != 4) {
        state.SkipWithError("the reply did not decode whole");
        return;
    }
    for (auto _ : state) {
        m.DecodeReply();
        benchmark::DoNotOptimize(m.Additional.Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Reply().size()));
    state.counters["reply_bytes"] = static_cast<double>(Reply().size());
}

#ifdef NORVANE_BENCH_SYSTEM_DNS
void BM_DecodeReply_SystemLibrary(benchmark::State& state) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(Reply().data());
    ldns_pkt* packet = nullptr;
    if (ldns_wire2pkt(&packet, bytes, Reply().size()) != LDNS_STATUS_OK ||
        ldns_rr_list_rr_count(ldns_pkt_answer(packet)) != kAnswers ||
        ldns_rr_list_rr_count(ldns_pkt_additional(packet)) != 4) {
        if (packet) ldns_pkt_free(packet);
        state.SkipWithError("the system library refused the reply");
        return;
    }
    ldns_pkt_free(packet);
    for (auto _ : state) {
        ldns_wire2pkt(&packet, bytes, Reply().size());
        benchmark::DoNotOptimize(packet);
        ldns_pkt_free(packet);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Reply().size()));
    state.counters["reply_bytes"] = static_cast<double>(Reply().size());
}

#endif

BENCHMARK(BM_DecodeReply_Norvane);
#ifdef NORVANE_BENCH_SYSTEM_DNS
BENCHMARK(BM_DecodeReply_SystemLibrary);
#endif

}  // namespace

BENCHMARK_MAIN();
