// The help file Quodo.chm as the program uses it: HTML Help ("hhctrl.ocx", entry "HtmlHelpA")
// opens it by help context and by default topic, and the file's own storage (itss.dll, which
// HTML Help reads .chm files through) shows which topic each help context leads to.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

// The InfoTech storage interface of itss.dll, declared up to the method used here. It lives outside
// the anonymous namespace: there the compiler may take its methods for never implemented.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

// The InfoTech storage of itss.dll.
const CLSID kClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhHelpContext = 0x000F;
constexpr UINT kHhCloseAll = 0x0012;

// The help contexts of the program and the topic each one opens.
struct ContextTopic {
    DWORD context;
    const char* topic;  // path inside the .chm
    const char* title;  // the topic's <title>
};
const ContextTopic kContexts[] = {
    {1000, "/hoofdvenster.htm", "Het hoofdvenster"},
    {32150, "/update.htm", "Updates"},
    {50000, "/informatie.htm", "Het venster Informatie"},
    {50100, "/auteur.htm", "De auteur van Quodo"},
};
// Numbers next to the real contexts, and 0: none of them may lead anywhere.
const DWORD kUnknownContexts[] = {0, 999, 1001, 32151, 49999, 50001, 50099, 50101, 4242};

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};
::testing::Environment* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string HelpFilePath() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + "Quodo.chm";
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

uint32_t ReadDword(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

uint16_t ReadWord(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::string CString(const std::string& bytes, size_t at) {
    if (at >= bytes.size()) return {};
    return bytes.substr(at, bytes.find('\0', at) - at);
}

std::string TitleOf(const std::string& html) {
    std::smatch match;
    if (!std::regex_search(html, match, std::regex("<title>([^<]*)</title>", std::regex::icase))) return {};
    return match[1];
}

// Reads a .chm the way HTML Help does: internal files through itss.dll, the context map from
// "#IVB" (size, then pairs of context number and offset into "#STRINGS"), the options from
// "#SYSTEM" (version, then records of code, length and data).
class ChmFile {
public:
    explicit ChmFile(const std::string& path) {
        IITStorage* its = nullptr;
        if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                                    reinterpret_cast<void**>(&its))))
            return;
        its->StgOpenStorage(Widen(path).c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                            &storage_);
        its->Release();
    }
    ~ChmFile() {
        if (storage_) storage_->Release();
    }
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    bool Open() const { return storage_ != nullptr; }

    std::optional<std::string> Read(const std::string& name) const {
        IStream* stream = nullptr;
        if (!storage_ ||
            FAILED(storage_->OpenStream(Widen(name).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
            return std::nullopt;
        std::string bytes;
        char buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0) bytes.append(buffer, got);
        stream->Release();
        return bytes;
    }

    // The topic a help context leads to, as stored in the context map.
    std::optional<std::string> AliasOf(DWORD context) const {
        auto map = Read("#IVB");
        auto strings = Read("#STRINGS");
        if (!map || !strings || map->size() < 4) return std::nullopt;
        size_t end = std::min<size_t>(map->size(), 4 + ReadDword(*map, 0));
        for (size_t at = 4; at + 8 <= end; at += 8)
            if (ReadDword(*map, at) == context) return CString(*strings, ReadDword(*map, at + 4));
        return std::nullopt;
    }

    std::string SystemText(uint16_t code) const {
        auto system = Read("#SYSTEM");
        if (!system) return {};
        for (size_t at = 4; at + 4 <= system->size();) {
            uint16_t length = ReadWord(*system, at + 2);
            if (ReadWord(*system, at) == code) return CString(system->substr(at + 4, length), 0);
            at += 4 + length;
        }
        return {};
    }
    std::string DefaultTopic() const { return SystemText(2); }
    std::string Title() const { return SystemText(3); }

private:
    IStorage* storage_ = nullptr;
};

// Values of one HTML attribute (Local="..." in the contents, href="..." in a topic).
std::vector<std::string> AttributeValues(const std::string& html, const std::string& pattern) {
    std::vector<std::string> values;
    std::regex re(pattern, std::regex::icase);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it)
        values.push_back((*it)[1]);
    return values;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string InChm(const std::string& topic) {
    return topic.empty() || topic[0] == '/' ? topic : "/" + topic;
}

class HelpFileTest : public ::testing::Test {
protected:
    ChmFile chm_{HelpFilePath()};
};

TEST_F(HelpFileTest, EachHelpContextLeadsToItsOwnTopicInTheFile) {
    ASSERT_TRUE(chm_.Open()) << HelpFilePath();
    std::set<std::string> topics;
    for (const auto& expected : kContexts) {
        SCOPED_TRACE(expected.context);
        auto alias = chm_.AliasOf(expected.context);
        ASSERT_TRUE(alias.has_value());
        // "/name.htm"; a help file built without a private root stores the topic a second time
        // under a longer path that ends the same way.
        EXPECT_TRUE(EndsWith(*alias, expected.topic)) << *alias;
        auto topic = chm_.Read(*alias);
        ASSERT_TRUE(topic.has_value()) << *alias << " is not in the file";
        EXPECT_EQ(expected.title, TitleOf(*topic));
        topics.insert(*alias);
    }
    EXPECT_EQ(std::size(kContexts), topics.size());
}

TEST_F(HelpFileTest, OtherContextNumbersLeadNowhere) {
    ASSERT_TRUE(chm_.Open());
    for (DWORD context : kUnknownContexts) EXPECT_FALSE(chm_.AliasOf(context).has_value()) << context;
}

TEST_F(HelpFileTest, DefaultTopicIsTheOverview) {
    ASSERT_TRUE(chm_.Open());
    EXPECT_EQ("Quodo Help", chm_.Title());
    auto overview = chm_.Read(InChm(chm_.DefaultTopic()));
    ASSERT_TRUE(overview.has_value()) << "default topic '" << chm_.DefaultTopic() << "'";
    EXPECT_EQ("Quodo", TitleOf(*overview));
}

TEST_F(HelpFileTest, ContentsAndLinksPointOnlyToTopicsInTheFile) {
    ASSERT_TRUE(chm_.Open());
    auto contents = chm_.Read("/Quodo.hhc");
    ASSERT_TRUE(contents.has_value());
    auto listed = AttributeValues(*contents, R"(name="Local"\s+value="([^"]+)\")");
    ASSERT_GE(listed.size(), std::size(kContexts) + 1);
    std::set<std::string> all(listed.begin(), listed.end());
    for (const auto& context : kContexts) EXPECT_EQ(1u, all.count(context.topic + 1)) << context.topic;
    for (const auto& topic : listed) {
        auto html = chm_.Read(InChm(topic));
        ASSERT_TRUE(html.has_value()) << topic;
        EXPECT_FALSE(TitleOf(*html).empty()) << topic;
        EXPECT_NE(std::string::npos, html->find("charset=windows-1252")) << topic;
        for (const auto& link : AttributeValues(*html, R"(href="([^"#:]+)\")"))
            EXPECT_TRUE(chm_.Read(InChm(link)).has_value()) << topic << " links to " << link;
    }
}

// HTML Help as the program loads it; every test closes the help windows it opened.
class HtmlHelpTest : public ::testing::Test {
protected:
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

    void SetUp() override {
        library_ = LoadLibraryA("hhctrl.ocx");
        ASSERT_NE(nullptr, library_);
        htmlHelp_ = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpA")));
        ASSERT_NE(nullptr, htmlHelp_);
    }
    void TearDown() override {
        if (htmlHelp_) htmlHelp_(nullptr, nullptr, kHhCloseAll, 0);
        if (library_) FreeLibrary(library_);
    }

    HWND Call(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
        return htmlHelp_(owner, file.c_str(), command, data);
    }

    static std::string TextOf(HWND window) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    // HH_CLOSE_ALL may finish through the message queue: pump until the window is gone.
    static bool ClosedAfterPumping(HWND window) {
        for (int round = 0; round < 1000 && IsWindow(window); ++round) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            if (IsWindow(window)) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return !IsWindow(window);
    }

    HMODULE library_ = nullptr;
    HtmlHelpFn htmlHelp_ = nullptr;
    const std::string file_ = HelpFilePath();
};

TEST_F(HtmlHelpTest, EachHelpContextOpensTheHelpWindow) {
    ChmFile chm(file_);
    for (const auto& expected : kContexts) {
        HWND window = Call(nullptr, file_, kHhHelpContext, expected.context);
        ASSERT_NE(nullptr, window) << expected.context;
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(chm.Title(), TextOf(window)) << expected.context;
    }
}

TEST_F(HtmlHelpTest, UnknownHelpContextOpensNoWindow) {
    for (DWORD context : {1001u, 50101u})
        EXPECT_EQ(nullptr, Call(nullptr, file_, kHhHelpContext, context)) << context;
}

TEST_F(HtmlHelpTest, MissingHelpFileOpensNoWindow) {
    std::string missing = file_.substr(0, file_.size() - 4) + "Missing.chm";
    EXPECT_EQ(nullptr, Call(nullptr, missing, kHhHelpContext, 1000));
}

TEST_F(HtmlHelpTest, DisplayTopicWithoutTopicOpensTheDefaultTopic) {
    HWND window = Call(GetDesktopWindow(), file_, kHhDisplayTopic, 0);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(ChmFile(file_).Title(), TextOf(window));
    // The same file opened at its default topic by name gives a help window as well.
    std::string byName = file_ + "::" + InChm(ChmFile(file_).DefaultTopic());
    EXPECT_NE(nullptr, Call(GetDesktopWindow(), byName, kHhDisplayTopic, 0));
}

TEST_F(HtmlHelpTest, CloseAllClosesEveryHelpWindow) {
    HWND byContext = Call(nullptr, file_, kHhHelpContext, 1000);
    HWND byTopic = Call(GetDesktopWindow(), file_, kHhDisplayTopic, 0);
    ASSERT_NE(nullptr, byContext);
    ASSERT_NE(nullptr, byTopic);
    htmlHelp_(nullptr, nullptr, kHhCloseAll, 0);
    EXPECT_TRUE(ClosedAfterPumping(byContext));
    EXPECT_TRUE(ClosedAfterPumping(byTopic));
}

}  // namespace
