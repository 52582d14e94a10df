#include "printer/cups_media.h"

#include "printer/cups_dests.h"
#include "printer/n_printer.h"

#include <QByteArray>
#include <QPageSize>
#include <QSizeF>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace printer {

namespace {

using c = n_printer;

constexpr double hmm_per_point = 2540.0 / 72.0; // hundredths of a millimetre

// A size in hundredths of a millimetre as the record keeps it: rounded to whole hundredths, then to the nearest
// tenth; nullopt for one it cannot hold (none, or above 6553.5 mm).
std::optional<std::uint16_t> tenths(double hundredths)
{
    constexpr double largest = std::numeric_limits<std::uint16_t>::max() * 10.0 + 4;
    if (!(hundredths >= 4.5 && hundredths < largest + 0.5))
        return std::nullopt;
    return std::uint16_t((std::lround(hundredths) + 5) / 10);
}

const pwg_media_t* pwgOfMedia(const QString& media)
{
    if (media.isEmpty())
        return nullptr;
    const QByteArray name = media.toUtf8();
    const pwg_media_t* pwg = pwgMediaForPWG(name.constData());
    if (!pwg)
        pwg = pwgMediaForLegacy(name.constData());
    if (!pwg)
        pwg = pwgMediaForPPD(name.constData());
    return pwg;
}

std::optional<Paper> paperOfPwg(const pwg_media_t* pwg, bool custom)
{
    if (!pwg)
        return std::nullopt;
    auto paper = paperOfSize(pwg->width, pwg->length, c::dmpaper_user);
    if (!paper)
        return std::nullopt;
    if (!custom) {
        const QPageSize::PageSizeId id = QPageSize::id(QSizeF(pwg->width / 100.0, pwg->length / 100.0),
                                                       QPageSize::Millimeter, QPageSize::FuzzyMatch);
        const int number = id == QPageSize::Custom ? 0 : QPageSize::windowsId(id);
        if (number > 0 && number < c::dmpaper_user)
            paper->number = std::uint16_t(number);
    }
    return paper;
}

// The sides keywords of the PPD's standard Duplex choices.
struct DuplexChoice {
    const char* choice;
    const char* sides;
};
constexpr DuplexChoice duplex_choices[] = {
    {"None", "one-sided"}, {"DuplexNoTumble", "two-sided-long-edge"}, {"DuplexTumble", "two-sided-short-edge"}};

} // namespace

std::optional<Paper> paperOfSize(double width, double length, std::uint16_t number)
{
    const auto tenthsWide = tenths(width);
    const auto tenthsLong = tenths(length);
    if (!tenthsWide || !tenthsLong)
        return std::nullopt;
    return Paper{number, *tenthsWide, *tenthsLong};
}

std::optional<Paper> paperOfMedia(const QString& media)
{
    return paperOfPwg(pwgOfMedia(media), media.startsWith(QLatin1String("custom_")));
}

bool mediaNamesSize(const QString& media)
{
    return pwgOfMedia(media) != nullptr;
}

bool withinAPoint(int hundredthsMm, int otherHundredthsMm)
{
    return std::abs(hundredthsMm - otherHundredthsMm) < hmm_per_point;
}

QString sizeKeyword(const QString& mediaOption)
{
    const QStringList keywords = mediaOption.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const auto at = std::find_if(keywords.begin(), keywords.end(), mediaNamesSize);
    return at == keywords.end() ? QString() : *at;
}

std::optional<Paper> paperOfMediaOption(const QString& option)
{
    return paperOfMedia(sizeKeyword(option));
}

QString withSize(const QString& mediaOption, const QString& size, const std::function<bool(const QString&)>& namesSize)
{
    QStringList keywords = mediaOption.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const auto at = std::find_if(keywords.begin(), keywords.end(), namesSize);
    if (at == keywords.end())
        keywords.prepend(size);
    else
        *at = size;
    return keywords.join(QLatin1Char(','));
}

std::optional<bool> landscapeOption(const cups_dest_t* dest)
{
    const char* value = cupsGetOption("landscape", dest->num_options, dest->options);
    if (!value)
        return std::nullopt;
    for (const char* no : {"no", "off", "false"})
        if (qstricmp(value, no) == 0)
            return false;
    return true;
}

// CUPS marks the PPD interface deprecated for drivers; it is still the way CUPS applies the options of a queue
// with a PPD, and the way Qt's print support reads them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

std::unique_ptr<Ppd> Ppd::of(http_t* http, const QString& queue)
{
    if (!http || queue.isEmpty())
        return nullptr;
    char fileName[1024] = ""; // empty: libcups makes a temporary file
    time_t modified = 0;
    if (cupsGetPPD3(http, queue.toUtf8().constData(), &modified, fileName, sizeof fileName) != HTTP_STATUS_OK)
        return nullptr;
    ppd_file_t* file = ppdOpenFile(fileName);
    ::unlink(fileName);
    if (!file)
        return nullptr;
    return std::unique_ptr<Ppd>(new Ppd(file));
}

Ppd::Ppd(ppd_file_t* file)
    : m_file(file)
{
}

Ppd::~Ppd()
{
    ppdClose(m_file);
}

Ppd::Applied Ppd::applied(const cups_dest_t* dest)
{
    ppdMarkDefaults(m_file);
    cupsMarkOptions(m_file, dest->num_options, dest->options);

    Applied applied;
    // A size the record cannot hold is no paper it can report.
    const ppd_size_t* size = ppdPageSize(m_file, nullptr);
    if (size)
        applied.paper = paperOfSize(size->width * hmm_per_point, size->length * hmm_per_point, c::dmpaper_user);
    if (applied.paper) {
        const int width = int(std::lround(size->width * hmm_per_point));
        const int length = int(std::lround(size->length * hmm_per_point));
        if (std::strcmp(size->name, "Custom") == 0) {
            // A user size: the one the options name, to its tenth of a millimetre, when it is the size applied.
            for (const char* spelling : {"PageSize", "PageRegion", "media"}) {
                const auto named = paperOfMediaOption(option(dest, spelling));
                if (named && withinAPoint(named->width * 10, width) && withinAPoint(named->length * 10, length)) {
                    applied.paper = named;
                    break;
                }
            }
        } else {
            // A named size: the standard one of that name, or the standard size it measures.
            const pwg_media_t* pwg = pwgMediaForPPD(size->name);
            if (!pwg || !withinAPoint(pwg->width, width) || !withinAPoint(pwg->length, length))
                pwg = pwgMediaForSize(width, length);
            applied.paper = paperOfPwg(pwg, false);
        }
    }
    if (const ppd_choice_t* duplex = ppdFindMarkedChoice(m_file, "Duplex"))
        for (const DuplexChoice& entry : duplex_choices)
            if (qstricmp(duplex->choice, entry.choice) == 0)
                applied.sides = QString::fromLatin1(entry.sides);
    return applied;
}

bool Ppd::namesSize(const QString& keyword) const
{
    return mediaNamesSize(keyword) || ppdPageSize(m_file, keyword.toUtf8().constData());
}

#pragma GCC diagnostic pop

} // namespace printer
