// /api/v1: the documents of tkvtool --json, a register write, live events.
#include <httplib.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <deque>

#include "device_lock.h"
#include "documents.h"
#include "event_poller.h"
#include "field_write.h"
#include "frame.h"
#include "i2c_channel.h"
#include "json_reply.h"
#include "request_parsing.h"
#include "routes.h"
#include "snapshot.h"
#include "zoom_video.h"
#include "zoom_video_state.h"

#ifndef TKV_VERSION
#define TKV_VERSION "unknown"
#endif

namespace {

using httplib::Request;
using httplib::Response;

constexpr unsigned kMostStreams = 8;
constexpr unsigned kStreamWaitMs = 200;        // how soon a stream sees the server stop
constexpr unsigned kKeepAliveEveryMs = 15000;  // a comment line: a gone client is noticed

int statusOf(client::Failure failure) {
    switch (failure) {
    case client::Failure::Usage: return 400;
    case client::Failure::Absent: return 404;
    default: return 502;
    }
}

void replyOutcome(Response &res, const client::Outcome &outcome) {
    replyError(res, statusOf(outcome.failure), outcome.message);
}

void replyFailure(Response &res, const char *operation, const client::RequestFailure &failure) {
    replyError(res, 502, client::requestFailureText(operation, failure));
}

// "A or B" / "A, B" as a list.
client::Document nameList(const std::string &hint) {
    client::Document list = client::Document::array();
    size_t start = 0;
    while (start < hint.size()) {
        size_t end = hint.find(" or ", start), skip = 4;
        const size_t comma = hint.find(", ", start);
        if (comma < end) end = comma, skip = 2;
        list.push_back(hint.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + skip;
    }
    return list;
}

// A register or field by name; false after answering 404 (with the closest
// names) or 400.
bool lookUp(const regmap::Map &map, const std::string &text, regmap::Name &name, Response &res) {
    std::string hint;
    switch (regmap::findName(map, text, name, hint)) {
    case regmap::Lookup::Found: break;
    case regmap::Lookup::Unknown:
        replyError(res, 404,
                   "unknown name '" + text + "'" + (hint.empty() ? "" : " (did you mean " + hint + "?)"),
                   {{"closest", nameList(hint)}});
        return false;
    case regmap::Lookup::Ambiguous:
        replyError(res, 400, "'" + text + "' names several registers: " + hint,
                   {{"candidates", nameList(hint)}});
        return false;
    }
    if (name.block->space != regmap::Space::I2c) return true;
    replyError(res, 400, name.text() + " is a register of an I2C device: see /api/v1/i2c");
    return false;
}

bool number(Response &res, const std::string &text, uint64_t max, const char *noun, uint64_t &value) {
    if (parseNumber(text, max, value)) return true;
    replyError(res, 400, std::string("invalid ") + noun + " '" + text + "'");
    return false;
}

// The channel must be enabled for its transactions to mean anything.
bool channelReady(Response &res, unsigned channel) {
    const client::ChannelCheck check = client::checkChannel(channel);
    if (check.ok()) return true;
    replyError(res, 502, check.message);
    return false;
}

// A write's fields (or the whole value) checked against the map, as tkvtool write checks them.
client::Outcome fieldsOf(const regmap::Name &name, const RegisterWrite &body, client::FieldWrite &write) {
    const regmap::Register &reg = *name.reg;
    if (reg.access == regmap::Access::ReadOnly)
        return client::failed(client::Failure::Usage, name.text() + " is read-only");
    if (body.whole && !name.field) {
        if (body.value & ~widthMask(reg.bytes()))
            return client::failed(client::Failure::Usage, "the value does not fit in " + name.text());
        write = {body.value, ~uint64_t{0}};
        return client::succeeded();
    }
    if (!body.whole && name.field)
        return client::failed(client::Failure::Usage, name.text() + " is a field: give its value alone");
    std::vector<FieldValue> given = body.fields;
    if (body.whole) given = {{name.field->name, false, body.value, {}}};
    for (const FieldValue &f : given) {
        const regmap::Field *field = nullptr;
        if (client::Outcome o = client::findField(name, f.field, field); !o.ok()) return o;
        uint64_t value = f.number;
        if (f.isWord && !client::valueOfName(*field, f.word, value) &&
            !parseNumber(f.word, UINT64_MAX, value))
            return client::invalidValue(*field, f.word);
        if (client::Outcome o = client::checkFits(*field, value); !o.ok()) return o;
        if (client::Outcome o = client::addField(write, name, *field, value); !o.ok()) return o;
    }
    return client::succeeded();
}

class Api {
public:
    Api(const ServerSettings &settings, const regmap::Map &map, EventPoller &poller)
        : settings_(settings), map_(map), poller_(poller) {}

    void add(httplib::Server &s) {
        route(s, "GET", "/api/v1/server", &Api::server);
        route(s, "GET", "/api/v1/version", &Api::version);
        route(s, "GET", "/api/v1/writes", &Api::writes);
        route(s, "POST", "/api/v1/diff", &Api::diff);
        route(s, "GET", "/api/v1/registers", &Api::registers);
        route(s, "GET", R"(/api/v1/registers/([^/]+))", &Api::readRegister);
        route(s, "PUT", R"(/api/v1/registers/([^/]+))", &Api::writeRegister);
        route(s, "GET", "/api/v1/blocks", &Api::blocks);
        route(s, "GET", R"(/api/v1/blocks/([^/]+))", &Api::blocks);
        route(s, "GET", "/api/v1/i2c", &Api::i2cList);
        route(s, "GET", R"(/api/v1/i2c/([^/]+)/devices)", &Api::i2cDetect);
        route(s, "GET", R"(/api/v1/i2c/([^/]+)/([^/]+))", &Api::i2cDevice);
        route(s, "GET", "/api/v1/pci", &Api::pci);
        route(s, "GET", R"(/api/v1/edid/([^/]+))", &Api::edid);
        route(s, "GET", R"(/api/v1/zv/([^/]+))", &Api::zoomVideo);
        route(s, "GET", R"(/api/v1/zv/([^/]+)/frame\.png)", &Api::frame);
        route(s, "GET", "/api/v1/snapshot", &Api::snapshotNow);
        route(s, "GET", "/api/v1/events", &Api::events);
        for (const char *method : {"GET", "PUT", "POST", "DELETE"})
            route(s, method, R"(/api/.*)", &Api::unknown);
    }

private:
    using Handler = void (Api::*)(const Request &, Response &);

    // Every handler's edge: whatever it throws is a 500 in JSON, never an end of the server.
    void route(httplib::Server &s, const char *method, const char *pattern, Handler handler) {
        auto call = [this, handler](const Request &req, Response &res) {
            try {
                (this->*handler)(req, res);
            } catch (...) {
                replyError(res, 500, "the server failed to answer");
            }
        };
        const std::string m = method;
        if (m == "GET")
            s.Get(pattern, call);
        else if (m == "PUT")
            s.Put(pattern, call);
        else if (m == "POST")
            s.Post(pattern, call);
        else
            s.Delete(pattern, call);
    }

    void unknown(const Request &req, Response &res) { replyError(res, 404, "no such API call: " + req.path); }

    void version(const Request &, Response &res) {
        client::Document document;
        DeviceGuard device(gDeviceLock);
        const client::Outcome read = client::versionDocument(TKV_VERSION, document);
        if (!read.ok()) return replyOutcome(res, read);
        replyDocument(res, document);
    }

    void server(const Request &, Response &res) {
        replyDocument(
            res, {{"read_only", settings_.readOnly}, {"device", settings_.device}, {"tool", TKV_VERSION}});
    }

    void writes(const Request &, Response &res) {
        std::lock_guard<std::mutex> hold(logLock_);
        client::Document list = client::Document::array();
        for (const client::Document &entry : writeLog_) list.push_back(entry);
        replyDocument(res, list);
    }

    // One entry per write the API made, the newest last; the oldest go first.
    void logWrite(const Request &req, const regmap::Name &name, const uint64_t *old, uint64_t stored) {
        static constexpr size_t kMostLogged = 1000;
        const int digits = static_cast<int>(2 * name.reg->bytes());
        char oldText[24] = "(write-only)", newText[24], when[32];
        if (old) snprintf(oldText, sizeof oldText, "0x%0*llx", digits, static_cast<unsigned long long>(*old));
        snprintf(newText, sizeof newText, "0x%0*llx", digits, static_cast<unsigned long long>(stored));
        const time_t now = time(nullptr);
        tm parts{};
        gmtime_r(&now, &parts);
        strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &parts);
        const std::string client = req.remote_addr + ":" + std::to_string(req.remote_port);
        std::lock_guard<std::mutex> hold(logLock_);
        // One line on standard error a write, for the lab's own log.
        fprintf(stderr, "%s %s %s %s -> %s\n", when, client.c_str(), name.text().c_str(), oldText, newText);
        fflush(stderr);
        if (writeLog_.size() == kMostLogged) writeLog_.pop_front();
        writeLog_.push_back(
            {{"time", when}, {"client", client}, {"name", name.text()}, {"old", oldText}, {"new", newText}});
    }

    void diff(const Request &req, Response &res) {
        std::string why;
        if (!snapshot::check(req.body, why)) return replyError(res, 400, "not a snapshot: " + why);
        bool complete = true;
        std::string now;
        {
            DeviceGuard device(gDeviceLock);
            now = snapshot::take(map_, settings_.device, TKV_VERSION, complete);
        }
        if (!complete) return replyError(res, 502, "the board could not be read whole");
        std::vector<snapshot::Difference> differences;
        if (!snapshot::compare(req.body, now, map_, {}, differences, why)) return replyError(res, 400, why);
        client::Document list = client::Document::array();
        for (const snapshot::Difference &d : differences) list.push_back(d.json);
        replyDocument(res, list);
    }

    void registers(const Request &req, Response &res) {
        const std::string pattern = req.has_param("match") ? req.get_param_value("match") : "*";
        replyDocument(res, client::registerListDocument(map_, pattern.c_str()));
    }

    void readRegister(const Request &req, Response &res) {
        regmap::Name name;
        if (!lookUp(map_, req.matches[1], name, res)) return;
        if (name.reg->access == regmap::Access::WriteOnly)
            return replyError(res, 400, name.text() + " is write-only");
        client::RequestFailure failure;
        client::Document document;
        {
            DeviceGuard device(gDeviceLock);
            document = client::namedReadDocument(name, failure);
        }
        if (failure.failed()) return replyFailure(res, "read", failure);
        replyDocument(res, document);
    }

    void writeRegister(const Request &req, Response &res) {
        regmap::Name name;
        if (!lookUp(map_, req.matches[1], name, res)) return;
        RegisterWrite body;
        std::string why;
        if (!parseRegisterWrite(req.body, body, why)) return replyError(res, 400, why);
        client::FieldWrite write;
        if (client::Outcome checked = fieldsOf(name, body, write); !checked.ok())
            return replyOutcome(res, checked);
        const bool whole = body.whole && !name.field;
        uint64_t stored = 0, old = 0;
        const bool readable = name.reg->access != regmap::Access::WriteOnly;
        client::Outcome written;
        {
            DeviceGuard device(gDeviceLock);
            written = client::writeRegister(name, write.bits, whole ? nullptr : &write, stored,
                                            readable ? &old : nullptr);
        }
        if (!written.ok()) return replyOutcome(res, written);
        logWrite(req, name, readable ? &old : nullptr, stored);
        replyDocument(res, client::registerDocument(name, stored));
    }

    void blocks(const Request &req, Response &res) {
        std::vector<std::string> chosen;
        if (req.matches.size() > 1) {
            std::vector<std::string> known;
            const std::string word = req.matches[1];
            const regmap::Block *found = client::findBlock(map_, word, &known);
            if (!found) {
                std::string close;
                for (const std::string &n : known)
                    if (regmap::editDistance(word, n) <= 2) close += (close.empty() ? "" : " or ") + n;
                return replyError(res, 404, "unknown block '" + word + "'", {{"closest", nameList(close)}});
            }
            if (found->space == regmap::Space::I2c)
                return replyError(res, 400,
                                  word + " is an I2C device's map: see /api/v1/i2c/CH/ADDR/registers");
            chosen.push_back(word);
        }
        client::RequestFailure failure;
        client::Document document;
        {
            DeviceGuard device(gDeviceLock);
            document = client::showDocument(map_, chosen, failure);
        }
        if (failure.failed()) return replyFailure(res, "read", failure);
        replyDocument(res, document);
    }

    void i2cList(const Request &, Response &res) {
        client::Document document;
        DeviceGuard device(gDeviceLock);
        const client::Outcome read = client::i2cListDocument(document);
        if (!read.ok()) return replyOutcome(res, read);
        replyDocument(res, document);
    }

    bool channelOf(const Request &req, Response &res, unsigned &channel) {
        uint64_t value = 0;
        if (!number(res, req.matches[1], kI2cChannels - 1, "channel", value)) return false;
        channel = static_cast<unsigned>(value);
        return true;
    }

    // The address as the page gives it: hexadecimal, with or without 0x.
    bool deviceOf(const Request &req, Response &res, unsigned &address) {
        std::string text = req.matches[2];
        if (text.rfind("0x", 0) != 0 && text.rfind("0X", 0) != 0) text = "0x" + text;
        uint64_t value = 0;
        if (!number(res, text, kLastI2cAddress, "I2C address", value)) return false;
        if (value < kFirstI2cAddress) {
            char reserved[64];
            snprintf(reserved, sizeof reserved, "0x%02x is a reserved I2C address (use 0x%02x to 0x%02x)",
                     static_cast<unsigned>(value), kFirstI2cAddress, kLastI2cAddress);
            replyError(res, 400, reserved);
            return false;
        }
        address = static_cast<unsigned>(value);
        return true;
    }

    void i2cDetect(const Request &req, Response &res) {
        unsigned channel = 0;
        if (!channelOf(req, res, channel)) return;
        client::Document document;
        DeviceGuard device(gDeviceLock);
        if (!channelReady(res, channel)) return;
        const client::Outcome scan = client::i2cDetectDocument(channel, document);
        if (!scan.ok()) return replyOutcome(res, scan);
        replyDocument(res, document);
    }

    // i2c show's document where the maps know the device's type, i2c dump's otherwise.
    void i2cDevice(const Request &req, Response &res) {
        unsigned channel = 0, address = 0;
        if (!channelOf(req, res, channel) || !deviceOf(req, res, address)) return;
        std::string known;
        const regmap::Block *type = client::i2cDeviceType(map_, address, known);
        int result = 0;
        unsigned failedAt = 0;
        DeviceGuard device(gDeviceLock);
        if (!channelReady(res, channel)) return;
        const client::Document document = type ? client::i2cShowDocument(*type, channel, address, result)
                                               : client::i2cDumpDocument(channel, address, result, failedAt);
        if (!result) return replyDocument(res, document);
        char where[32];
        snprintf(where, sizeof where, " (register 0x%02x)", failedAt);
        replyError(res, result == kI2cNoAcknowledge ? 404 : 502,
                   std::string(i2cReason(result)) + (type ? "" : where));
    }

    void pci(const Request &, Response &res) {
        client::RequestFailure failure;
        client::Document document;
        {
            DeviceGuard device(gDeviceLock);
            document = client::pciDumpDocument(failure);
        }
        if (failure.failed()) return replyFailure(res, "dump", failure);
        replyDocument(res, document);
    }

    void edid(const Request &req, Response &res) {
        uint64_t port = 0;
        if (!number(res, req.matches[1], 255, "DDC port", port)) return;
        client::Edid edid;
        DeviceGuard device(gDeviceLock);
        const client::Outcome read = client::readEdid(static_cast<unsigned>(port), edid);
        if (!read.ok()) return replyOutcome(res, read);
        replyDocument(res, client::edidDocument(static_cast<unsigned>(port), edid));
    }

    void zoomVideo(const Request &req, Response &res) {
        uint64_t port = 0;
        if (!number(res, req.matches[1], 255, "zoom video port", port)) return;
        ZoomVideoState state;
        DeviceGuard device(gDeviceLock);
        const client::ZoomVideoOutcome read = client::zoomVideoInfo(static_cast<unsigned>(port), state);
        if (!read.ok()) return replyOutcome(res, read);
        replyDocument(res, toJson(static_cast<unsigned>(port), state));
    }

    // The port's frame as tkvtool capture writes it.
    void frame(const Request &req, Response &res) {
        uint64_t port = 0;
        if (!number(res, req.matches[1], 255, "zoom video port", port)) return;
        if (port >= kZoomVideoPorts)
            return replyError(res, 404, "no zoom video port " + std::to_string(port));
        PixelFormat format = PixelFormat::Uyvy;
        if (req.has_param("format") && !pixelFormatNamed(req.get_param_value("format").c_str(), format))
            return replyError(res, 400, "invalid format (uyvy, yuyv or rgb565)");
        FrameGrab grab;
        {
            DeviceGuard device(gDeviceLock);
            grabFrame(static_cast<unsigned>(port), format, grab);
        }
        if (grab.problem.fault == FrameFault::NoSize)
            return replyError(res, 404, "no frame: the port does not capture and has no window");
        if (grab.problem.fault != FrameFault::None)
            return replyError(
                res, 502,
                grab.problem.error ? strerror(grab.problem.error) : "the frame is not in video memory");
        if (grab.readError)
            return replyError(res, 502, std::string("reading video memory: ") + strerror(grab.readError));
        if (grab.pngError) return replyError(res, 502, pngError(grab.pngError));
        res.set_content(static_cast<const char *>(grab.png), grab.length, "image/png");
        free(grab.png);
    }

    void snapshotNow(const Request &, Response &res) {
        bool complete = true;
        std::string text;
        {
            DeviceGuard device(gDeviceLock);
            text = snapshot::take(map_, settings_.device, TKV_VERSION, complete);
        }
        res.status = complete ? 200 : 502;  // an incomplete one still says what it could read
        res.set_content(std::move(text), "application/json");
    }

    void events(const Request &req, Response &res) {
        std::vector<std::string> words;
        std::string why;
        uint32_t interval = 1000;
        if (!parseNameList(req.get_param_value("names"), words, why) ||
            (req.has_param("interval") && !parseInterval(req.get_param_value("interval"), interval, why)))
            return replyError(res, 400, why);
        std::vector<regmap::Name> names;
        for (const std::string &word : words) {
            regmap::Name name;
            if (!lookUp(map_, word, name, res)) return;
            if (name.reg->access == regmap::Access::WriteOnly)
                return replyError(res, 400, name.text() + " is write-only");
            names.push_back(name);
        }
        if (streams_.fetch_add(1) >= kMostStreams) {
            streams_.fetch_sub(1);
            return replyError(res, 503, "too many event streams");
        }
        std::shared_ptr<EventStream> stream = poller_.watch(names, interval);
        res.set_header("X-Accel-Buffering", "no");
        res.set_chunked_content_provider(
            "text/event-stream",
            [stream, quiet = 0u](size_t, httplib::DataSink &sink) mutable {
                std::string event;
                if (stream->next(event, kStreamWaitMs)) {
                    quiet = 0;
                    return sink.write(event.data(), event.size());
                }
                if (stream->ended()) return false;
                if ((quiet += kStreamWaitMs) < kKeepAliveEveryMs) return sink.is_writable();
                quiet = 0;
                return sink.write(": \n\n", 4);
            },
            [this, stream](bool) {
                poller_.forget(stream);
                streams_.fetch_sub(1);
            });
    }

    const ServerSettings &settings_;
    const regmap::Map &map_;
    EventPoller &poller_;
    std::atomic<unsigned> streams_{0};
    std::mutex logLock_;
    std::deque<client::Document> writeLog_;
};

}  // namespace

std::shared_ptr<void> addApiRoutes(httplib::Server &server, const ServerSettings &settings,
                                   const regmap::Map &map, EventPoller &poller) {
    auto api = std::make_shared<Api>(settings, map, poller);
    api->add(server);
    return api;
}
