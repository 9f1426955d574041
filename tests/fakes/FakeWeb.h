// A scripted platform::Web for native tests. Each OpenUrl takes the next scripted attempt of its
// URL (or of the default script when the URL has none); an attempt either fails to open or
// delivers its chunks, one per Read, and then ends with a clean end or a failed read. Every call
// is recorded, and open handles are counted, so tests can check that everything was closed.
//
//   fakes::FakeWeb web;
//   web.Script("http://m.iex.nl/", {fakes::FakeWeb::Refused(), fakes::FakeWeb::Body(page)});
//   web.Install();
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fakes {

class FakeWeb : public platform::Web {
public:
    struct Attempt {
        bool opens = true;
        std::vector<std::string> chunks;  // what each Read delivers (split further to the read size)
        bool failsAfterChunks = false;    // the read after the last chunk fails instead of giving 0
        uint32_t status = 200;            // the HTTP status the answer carries
        bool stallsAfterChunks = false;   // the read after the last chunk waits until the request is cut
        std::map<std::string, std::string> headers = {};  // the answer's headers beyond the status
    };

    struct Call {
        std::string op;       // OpenSession, SetBounds, OpenUrl, Read, Abort, Close, CreateFile
        std::string text;     // the agent, URL or path
        bool headersNull = false;
        std::string headers;
        uint32_t number = 0;  // connect time-out, headers length, read size
        uint32_t receiveMs = 0;  // SetBounds: the receive time-out
        uint32_t flags = 0;
        uint32_t delivered = 0;  // Read: bytes delivered

        explicit Call(std::string op, std::string text = std::string()) : op(std::move(op)), text(std::move(text)) {}
    };

    // Script helpers.
    static Attempt Refused() { return Attempt{false, {}, false}; }
    static Attempt Body(const std::string& body) { return Attempt{true, {body}, false}; }
    static Attempt Answer(uint32_t status, const std::string& body) { return Attempt{true, {body}, false, status}; }
    static Attempt Answer(uint32_t status, const std::string& body, std::map<std::string, std::string> headers) {
        Attempt attempt = Answer(status, body);
        attempt.headers = std::move(headers);
        return attempt;
    }
    static Attempt Chunks(std::vector<std::string> chunks) { return Attempt{true, std::move(chunks), false}; }
    static Attempt CutAfter(std::vector<std::string> chunks) { return Attempt{true, std::move(chunks), true}; }
    // Opens, delivers the chunks, then stays silent until the request is cut (Abort).
    static Attempt StallAfter(std::vector<std::string> chunks) {
        Attempt attempt{true, std::move(chunks), false};
        attempt.stallsAfterChunks = true;
        return attempt;
    }
    // size bytes of a repeating pattern, delivered in pieces of at most pieceSize.
    static Attempt Sized(size_t size, size_t pieceSize, char fill = 'x') {
        Attempt attempt;
        for (size_t done = 0; done < size; done += pieceSize)
            attempt.chunks.push_back(std::string(std::min(pieceSize, size - done), fill));
        return attempt;
    }

    bool sessionOpens = true;
    bool filesCreatable = true;
    std::vector<Call> calls;
    std::map<std::string, std::string> files;  // path -> content of files made by CreateFile
    long long diskRoom = -1;                   // bytes a created file can take; -1: no limit
    platform::RequestBounds bounds;            // as the last session was given
    std::function<void()> onRead;              // runs before every Read (e.g. to raise an error)

    void Script(const std::string& url, std::vector<Attempt> attempts) {
        auto& queue = scripts_[url];
        queue.insert(queue.end(), attempts.begin(), attempts.end());
    }
    void ScriptDefault(std::vector<Attempt> attempts) { Script(std::string(), std::move(attempts)); }

    void Install() { platform::Current().web = this; }
    void Uninstall() {
        if (platform::Current().web == this) platform::Current().web = nullptr;
    }

    size_t OpenHandles() {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return open_.size();
    }
    // Reads that wait in a stall right now (on other threads).
    size_t Stalled() {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return stalled_;
    }
    // How often an operation was called; safe while a worker thread still uses the web.
    size_t Count(const std::string& op) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return CallsOf(op).size();
    }
    std::vector<Call> CallsOf(const std::string& op) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }
    std::vector<std::string> Ops() const {
        std::vector<std::string> out;
        for (const Call& c : calls) out.push_back(c.op);
        return out;
    }

    Handle OpenSession(const std::string& agent) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Call call("OpenSession", agent);
        calls.push_back(call);
        if (!sessionOpens) return nullptr;
        return NewHandle(Attempt{}, true);
    }
    void SetBounds(Handle session, const platform::RequestBounds& set) override {
        Call call("SetBounds");
        call.number = set.connectMs;
        call.receiveMs = set.receiveMs;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        calls.push_back(call);
        if (!IsOpen(session) || !Entry(session).session) throw std::logic_error("SetBounds without an open session");
        bounds = set;
    }
    // Cuts the session's open requests: a read waiting on one gives up, later ones fail.
    void Abort(Handle session) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        calls.push_back(Call("Abort"));
        for (auto& [handle, entry] : handles_)
            if (entry->owner == session) entry->cut = true;
        cutNow_.notify_all();
    }
    Handle OpenUrl(Handle session, const std::string& url, const char* headers, uint32_t headersLength,
                   uint32_t flags) override {
        Call call("OpenUrl", url);
        call.headersNull = headers == nullptr;
        if (headers) call.headers.assign(headers, headersLength);
        call.number = headersLength;
        call.flags = flags;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        calls.push_back(call);
        if (!IsOpen(session) || !Entry(session).session) throw std::logic_error("OpenUrl without an open session");
        Attempt attempt = NextAttempt(url);
        if (!attempt.opens) return nullptr;
        Handle handle = NewHandle(std::move(attempt), false);
        Entry(handle).owner = session;
        return handle;
    }
    bool Read(Handle url, char* buffer, uint32_t size, uint32_t* bytesRead) override {
        Call call("Read");
        call.number = size;
        if (onRead) onRead();
        std::unique_lock<std::recursive_mutex> lock(mutex_);
        if (!IsOpen(url) || Entry(url).session) throw std::logic_error("Read on a handle that is no open URL");
        Open& entry = Entry(url);
        *bytesRead = 0;
        bool ok = true;
        if (entry.cut) {
            ok = false;
        } else if (entry.nextChunk < entry.attempt.chunks.size()) {
            std::string& chunk = entry.attempt.chunks[entry.nextChunk];
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(size, chunk.size() - entry.offset));
            std::memcpy(buffer, chunk.data() + entry.offset, n);
            entry.offset += n;
            if (entry.offset == chunk.size()) {
                ++entry.nextChunk;
                entry.offset = 0;
            }
            *bytesRead = n;
        } else if (entry.attempt.stallsAfterChunks) {
            ++stalled_;
            cutNow_.wait(lock, [&] { return entry.cut; });
            --stalled_;
            ok = false;
        } else {
            ok = !entry.attempt.failsAfterChunks;
        }
        call.delivered = *bytesRead;
        calls.push_back(call);
        return ok;
    }
    uint32_t StatusCode(Handle url) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (!IsOpen(url) || Entry(url).session) throw std::logic_error("StatusCode of a handle that is no open URL");
        return Entry(url).attempt.status;
    }
    std::string HeaderValue(Handle url, const std::string& name) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (!IsOpen(url) || Entry(url).session) throw std::logic_error("HeaderValue of a handle that is no open URL");
        const auto& headers = Entry(url).attempt.headers;
        const auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
    void Close(Handle handle) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Call call("Close");
        call.number = IsOpen(handle) && Entry(handle).session ? 1 : 0;  // 1: a session
        calls.push_back(call);
        if (!IsOpen(handle)) throw std::logic_error("Close of a handle that is not open");
        open_.erase(handle);
        handles_.erase(handle);
    }
    std::unique_ptr<platform::OutputFile> CreateFile(const std::string& path) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        calls.push_back(Call("CreateFile", path));
        if (!filesCreatable) return nullptr;
        files[path].clear();
        return std::make_unique<File>(files[path], diskRoom);
    }

private:
    struct Open {
        Attempt attempt;
        bool session = false;
        size_t nextChunk = 0;
        size_t offset = 0;
        Handle owner = nullptr;  // the session of a URL
        bool cut = false;
    };
    struct File : platform::OutputFile {
        File(std::string& content, long long room) : content(content), room(room) {}
        bool Write(const char* data, size_t size) override {
            // A full disk takes what still fits and then refuses.
            const size_t fits = room < 0 ? size : std::min<size_t>(size, size_t(room));
            content.append(data, fits);
            if (room >= 0) room -= static_cast<long long>(fits);
            return fits == size;
        }
        std::string& content;
        long long room;
    };

    Attempt NextAttempt(const std::string& url) {
        auto it = scripts_.find(url);
        if (it == scripts_.end() || it->second.empty()) it = scripts_.find(std::string());
        if (it == scripts_.end() || it->second.empty()) return Refused();
        Attempt attempt = it->second.front();
        it->second.pop_front();
        return attempt;
    }
    Handle NewHandle(Attempt attempt, bool session) {
        auto entry = std::make_unique<Open>();
        entry->attempt = std::move(attempt);
        entry->session = session;
        Handle handle = entry.get();
        handles_[handle] = std::move(entry);
        open_.insert(handle);
        return handle;
    }
    bool IsOpen(Handle handle) const { return open_.count(handle) > 0; }
    Open& Entry(Handle handle) { return *handles_.at(handle); }

    std::map<std::string, std::deque<Attempt>> scripts_;
    std::map<Handle, std::unique_ptr<Open>> handles_;
    std::set<Handle> open_;
    // Abort may come from another thread (a try's deadline) while a read waits for it.
    std::recursive_mutex mutex_;
    std::condition_variable_any cutNow_;
    size_t stalled_ = 0;
};

}  // namespace fakes
