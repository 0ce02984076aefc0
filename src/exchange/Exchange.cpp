#include "exchange/Exchange.h"

#include "exchange/CsvFile.h"
#include "exchange/MsProjectXml.h"
#include "exchange/Psplib.h"
#include "model/AtomicFile.h"
#include "model/Messenger.h"
#include "model/SchemeFile.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

namespace {

// Larger files are not taken into memory: no plan of this program comes near.
constexpr qint64 MaxFileSize = 512LL * 1024 * 1024;

class TCollectingMessenger : public TMessenger {
public:
    std::string Errors;
    void Notice(std::string_view) override {}
    void FileError(std::string_view Text) override {
        if (!Errors.empty())
            Errors += "; ";
        Errors += Text;
    }
    bool Question(std::string_view) override { return false; }
};

// The file's bytes. Only regular files are read: a FIFO or a device could
// keep the read waiting forever.
std::optional<std::string> ReadBytes(const std::string& Path, std::string& Error) {
    if (const auto Why = FileUnreadable(Path)) {
        Error = Path + ": " + *Why;
        return std::nullopt;
    }
    QFile File(QString::fromStdString(Path));
    if (!File.open(QIODevice::ReadOnly)) {
        Error = Path + ": " + File.errorString().toStdString();
        return std::nullopt;
    }
    if (File.size() > MaxFileSize) {
        Error = Path + ": файл больше " + std::to_string(MaxFileSize >> 20) + " МБ";
        return std::nullopt;
    }
    const QByteArray Bytes = File.readAll();
    if (File.error() != QFileDevice::NoError) {
        Error = Path + ": " + File.errorString().toStdString();
        return std::nullopt;
    }
    return Bytes.toStdString();
}

std::optional<TPlan> ReadScheme(const std::string& Path, std::string_view Bytes,
                                std::string& Error) {
    TWorkList List;
    TCollectingMessenger Messenger;
    List.Messenger = &Messenger;
    if (!LoadSchemeImage(List, Bytes)) {
        Error = Path + ": " + Messenger.Errors;
        return std::nullopt;
    }
    return PlanOfWorkList(List);
}

} // namespace

TPlanFormat PlanFormatOf(const std::string& Path) {
    const QString Suffix =
        QString::fromStdString(std::filesystem::path(Path).extension().string()).toLower();
    if (Suffix == QLatin1String(".kcrct"))
        return TPlanFormat::Scheme;
    if (Suffix == QLatin1String(".xml"))
        return TPlanFormat::MsProjectXml;
    if (Suffix == QLatin1String(".csv"))
        return TPlanFormat::Csv;
    if (Suffix == QLatin1String(".sm"))
        return TPlanFormat::Psplib;
    return TPlanFormat::Unknown;
}

bool CanWritePlan(TPlanFormat Format) {
    return Format == TPlanFormat::Scheme || Format == TPlanFormat::MsProjectXml ||
           Format == TPlanFormat::Csv;
}

const char* PlanFormatName(TPlanFormat Format) {
    switch (Format) {
    case TPlanFormat::Scheme:
        return "scheme";
    case TPlanFormat::MsProjectXml:
        return "MS Project XML";
    case TPlanFormat::Csv:
        return "CSV";
    case TPlanFormat::Psplib:
        return "PSPLIB";
    case TPlanFormat::Unknown:
        break;
    }
    return "unknown";
}

std::optional<std::string> FileUnreadable(const std::string& Path) {
    struct stat Info {};
    if (Path.empty())
        return std::string(std::strerror(ENOENT));
    if (::stat(Path.c_str(), &Info) != 0)
        return std::string(std::strerror(errno));
    if (!S_ISREG(Info.st_mode))
        return std::string("not a regular file");
    QFile File(QString::fromStdString(Path));
    if (!File.open(QIODevice::ReadOnly))
        return File.errorString().toStdString();
    return std::nullopt;
}

std::optional<TPlan> ReadPlan(const std::string& Path, TPlanFormat Format, std::string& Error) {
    const std::optional<std::string> Bytes = ReadBytes(Path, Error);
    if (!Bytes)
        return std::nullopt;
    switch (Format) {
    case TPlanFormat::Scheme:
        return ReadScheme(Path, *Bytes, Error);
    case TPlanFormat::MsProjectXml:
        return ReadMsProjectXml(*Bytes, Path, Error);
    case TPlanFormat::Csv:
        return ReadCsv(*Bytes, Path, Error);
    case TPlanFormat::Psplib:
        return ReadPsplib(*Bytes, Path, Error);
    case TPlanFormat::Unknown:
        break;
    }
    Error = Path + ": формат файла не известен";
    return std::nullopt;
}

bool WritePlan(const TWorkList& List, const std::string& Path, TPlanFormat Format,
               std::string& Error) {
    std::optional<std::string> Bytes;
    switch (Format) {
    case TPlanFormat::Scheme:
        Bytes = BuildSchemeImage(List);
        if (!Bytes)
            Error = Path + ": схему нельзя записать в файл схемы (имя без кодовой страницы 1251 "
                           "или схема слишком велика)";
        break;
    case TPlanFormat::MsProjectXml:
        Bytes = WriteMsProjectXml(List, Error);
        if (!Bytes)
            Error = Path + ": " + Error;
        break;
    case TPlanFormat::Csv:
        Bytes = WriteCsv(List);
        break;
    case TPlanFormat::Psplib:
    case TPlanFormat::Unknown:
        Error = Path + ": в этом формате файлы не записываются";
        break;
    }
    if (!Bytes)
        return false;
    std::string Reason;
    if (!ReplaceFileWith(Path, *Bytes, Reason)) {
        Error = Path + ": " + Reason;
        return false;
    }
    return true;
}
