// A scripted stand-in for the simulated instrument behind the sim back end: it records every
// call and answers as the test configures. Used by the transport tests and the USB link tests.
#pragma once

#include "usb_endpoint.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace oxbow::testing {

class ScriptedEndpoint : public oxbow::usb::UsbEndpoint {
public:
    struct Call {
        std::string op;
        int request = 0; // request number, or the phase of ReadBytes
        int value = 0;
        int index = 0;
        int length = 0;
        bool operator==(const Call&) const = default;
    };

    // What the test sees.
    std::vector<Call> calls;
    std::vector<std::uint8_t> written; // bytes of WriteByte, in order
    std::vector<std::vector<std::uint8_t>> bulkWrites;

    // How the instrument answers.
    bool present = true;
    int bytesAccepted = INT_MAX;         // WriteByte fails after this many bytes
    int replyLength = 0;                 // length byte delivered by phase 0
    std::vector<std::uint8_t> replyBody; // body delivered by phase 1 (cut or zero-padded)
    bool failBody = false;
    std::map<int, int> controlResults;  // result per request number; 1 otherwise
    int bulkReadFailsAfterRequest = -1; // BulkRead fails right after this request
    int bulkFillBias = 0;               // added to the request number in BulkRead data
    bool bulkWriteOk = true;
    std::vector<std::uint8_t> controlReadData;

    bool WriteByte(std::uint8_t byte) override {
        calls.push_back({"WriteByte", byte});
        if (static_cast<int>(written.size()) >= bytesAccepted) return false;
        written.push_back(byte);
        return true;
    }

    bool ReadBytes(int phase, int count, std::uint8_t* buffer) override {
        calls.push_back({"ReadBytes", phase, 0, 0, count});
        if (phase == 0) {
            buffer[0] = static_cast<std::uint8_t>(replyLength);
            return true;
        }
        if (failBody) return false;
        for (int i = 0; i < count; ++i)
            buffer[i] = i < static_cast<int>(replyBody.size()) ? replyBody[i] : 0;
        return true;
    }

    int ControlRequest(int request, int value, int index) override {
        calls.push_back({"ControlRequest", request, value, index});
        m_lastRequest = request;
        const auto found = controlResults.find(request);
        return found == controlResults.end() ? 1 : found->second;
    }

    int ControlRead(int request, int value, int index, int length, std::uint8_t* buffer) override {
        calls.push_back({"ControlRead", request, value, index, length});
        const int n = std::min(length, static_cast<int>(controlReadData.size()));
        std::copy_n(controlReadData.begin(), n, buffer);
        return n == length ? 1 : 0;
    }

    // Fills the block with its request number (plus the bias), so a test can tell which block
    // landed where.
    bool BulkRead(int length, std::uint8_t* buffer) override {
        calls.push_back({"BulkRead", m_lastRequest, 0, 0, length});
        if (m_lastRequest == bulkReadFailsAfterRequest) return false;
        std::fill_n(buffer, length, static_cast<std::uint8_t>(m_lastRequest + bulkFillBias));
        return true;
    }

    bool BulkWrite(int length, const std::uint8_t* buffer) override {
        calls.push_back({"BulkWrite", 0, 0, 0, length});
        bulkWrites.emplace_back(buffer, buffer + length);
        return bulkWriteOk;
    }

    bool IsPresent() const override { return present; }

    // The calls of one kind, in order.
    std::vector<Call> CallsOf(const std::string& op) const {
        std::vector<Call> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const Call& c) { return c.op == op; });
        return found;
    }

private:
    int m_lastRequest = -1;
};

} // namespace oxbow::testing
