// RondelList.exe: the catalogue for scripts. It builds the three state lists exactly as the
// main window does and prints them.
//
//   RondelList.exe                      one line per service (see FormatCatalogueListing), code
//                                       page 932
//   RondelList.exe --csv                the same services as CSV for spreadsheets, UTF-8 without a
//                                       byte-order mark, with the start type (see FormatCatalogueCsv)
//   RondelList.exe --csv --output FILE  the CSV into FILE, after a UTF-8 byte-order mark (either
//                                       order; FILE is written under a name of its own beside it
//                                       and takes its name only once complete)
//   RondelList.exe --version            "RondelList " and the product version of its own resource
//   RondelList.exe --help | -h | /?     the usage, on standard output
//
// A console gets the text as UTF-16 (WriteConsoleW), so that it reads right whatever the console's
// code page; a pipe or a file gets the bytes above unchanged.
//
// Exit code 0 when everything was written; 1 when the Service Control Manager cannot be opened,
// the enumeration ends early, the version cannot be read or a write fails (standard output
// closed or full, FILE not made: one line on stderr says so); 2 for any other argument (a
// one-line usage on stderr). A registry error met while reading one service goes to stderr; the
// service is still listed.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/WexFunc.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"
#include "text/ErrorText.h"

using namespace rondel;

namespace {

constexpr char kUsage[] = "usage: RondelList.exe [--csv [--output FILE] | --version | --help]\r\n";
constexpr char kHelp[] =
    "  (なし)                サービスを一行ずつ: タブ番号 (0 実行中、1 一時停止中、2 停止中) と五つの欄、\r\n"
    "                        TAB 区切り、シフト JIS\r\n"
    "  --csv                 同じサービスを CSV で (UTF-8、BOM なし、スタートアップの種類付き)\r\n"
    "  --csv --output FILE   CSV を FILE に書く (UTF-8、BOM 付き)\r\n"
    "  --version             版を表示する\r\n"
    "  --help, -h, /?        この説明を表示する\r\n"
    "終了コード: 0 完了、1 一覧を読めないか書き込めない、2 引数の誤り\r\n";
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

enum class Encoding { CodePage932, Utf8 };

// Where the program's text goes: standard output, standard error or the CSV file. A console is
// given UTF-16; anything else the bytes as they stand. The first failed write is remembered and
// nothing more is written after it.
class Output {
public:
    explicit Output(HANDLE handle) : handle_(handle) {
        DWORD mode = 0;
        console_ = ::GetConsoleMode(handle, &mode) != 0;
    }

    void Write(const std::string& bytes, Encoding encoding = Encoding::CodePage932) {
        if (error_ != 0 || bytes.empty()) return;
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {  // a closed standard handle
            Fail(ERROR_INVALID_HANDLE);
        } else if (!console_) {
            WriteBytes(bytes);
        } else {
            WriteWide(encoding == Encoding::Utf8 ? platform::ToWide(bytes, CP_UTF8) : platform::WideFromCodePage932(bytes));
        }
    }

    bool Failed() const { return error_ != 0; }
    DWORD Error() const { return error_; }
    void Fail(DWORD error) {
        if (error_ == 0) error_ = error != 0 ? error : ERROR_WRITE_FAULT;
    }

private:
    void WriteBytes(const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(handle_, bytes.data() + done, size, &written, nullptr)) return Fail(::GetLastError());
            if (written == 0) return Fail(ERROR_WRITE_FAULT);
            done += written;
        }
    }

    void WriteWide(const std::wstring& text) {
        for (std::size_t done = 0; done < text.size();) {
            std::size_t size = std::min<std::size_t>(text.size() - done, 8192);
            if (done + size < text.size() && IS_HIGH_SURROGATE(text[done + size - 1])) --size;  // a pair stays whole
            DWORD written = 0;
            if (!::WriteConsoleW(handle_, text.data() + done, static_cast<DWORD>(size), &written, nullptr))
                return Fail(::GetLastError());
            if (written == 0) return Fail(ERROR_WRITE_FAULT);
            done += written;
        }
    }

    HANDLE handle_;
    bool console_ = false;
    DWORD error_ = 0;
};

std::string ErrorSuffix(DWORD error) { return " (エラー " + std::to_string(error) + ")\r\n"; }

struct Options {
    enum class Kind { Listing, Csv, Version, Help } kind = Kind::Listing;
    std::optional<std::string> file;  // --output
};

// The arguments, or nothing when they are not one of the usage's forms.
std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    if (argc == 2) {
        const std::string only = argv[1];
        if (only == "--version") options.kind = Options::Kind::Version;
        if (only == "--help" || only == "-h" || only == "/?") options.kind = Options::Kind::Help;
        if (options.kind != Options::Kind::Listing) return options;
    }
    bool csv = false;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        if (argument == "--csv" && !csv) {
            csv = true;
        } else if (argument == "--output" && !options.file && k + 1 < argc && argv[k + 1][0] != '\0') {
            options.file = argv[++k];
        } else {
            return std::nullopt;
        }
    }
    if (options.file && !csv) return std::nullopt;
    if (csv) options.kind = Options::Kind::Csv;
    return options;
}

int PrintVersion(platform::Platform& system, Output& out, Output& err) {
    TWexProductInfo info;
    if (GetProductInfo(system, system.files.ModuleFileName(), info) != 0 || info.ProductVersion.empty()) {
        err.Write("版情報を読めません\r\n");
        return 1;
    }
    out.Write("RondelList " + info.ProductVersion + "\r\n");
    return 0;
}

int List(const Options& options, platform::Platform& system, Output& out, Output& err) {
    ServiceCatalogue catalogue(system);
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    BuildResult result = catalogue.BuildServiceLists(defaultIcon.get());

    if (result.openError != 0) {
        err.Write("サービス コントロール マネージャを開けません" + ErrorSuffix(result.openError));
        return 1;
    }
    int exitCode = 0;
    if (options.kind == Options::Kind::Listing) {
        out.Write(FormatCatalogueListing(catalogue));
    } else {
        const std::string csv = FormatCatalogueCsv(system, catalogue, platform::Utf8FromCodePage932, result.readErrors);
        if (!options.file) {
            out.Write(csv, Encoding::Utf8);
        } else if (const DWORD error = platform::WriteWholeFile(*options.file, kUtf8ByteOrderMark + csv); error != 0) {
            err.Write("ファイル「" + *options.file + "」に書き込めません" + ErrorSuffix(error));
            exitCode = 1;
        }
    }
    for (const ServiceReadError& error : result.readErrors)
        err.Write(error.serviceName + ": " + UnhandledErrorText(error.message) + "\r\n");
    if (result.enumerationError != 0) {
        err.Write("サービスの列挙が途中で失敗しました" + ErrorSuffix(result.enumerationError));
        exitCode = 1;
    }
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    Output out(::GetStdHandle(STD_OUTPUT_HANDLE));
    Output err(::GetStdHandle(STD_ERROR_HANDLE));
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        err.Write(kUsage);
        return 2;
    }

    int exitCode = 0;
    if (options->kind == Options::Kind::Help) {
        out.Write(std::string(kUsage) + kHelp);
    } else {
        platform::Win32Platform machine;
        platform::Platform system = machine.View();
        exitCode = options->kind == Options::Kind::Version ? PrintVersion(system, out, err) : List(*options, system, out, err);
    }
    if (out.Failed()) err.Write("出力を書き込めません" + ErrorSuffix(out.Error()));
    return out.Failed() || err.Failed() ? 1 : exitCode;
}
