#pragma once

// Papers, orientations and duplex as CUPS spells them: media names (PWG, legacy and PPD names), the PPD spellings
// of the same choices (PageSize, PageRegion, Duplex), CUPS's own `landscape`, and which of them CUPS applies.

#include <cups/cups.h>
#include <cups/ppd.h>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace printer {

// Paper numbers of media names ("iso_a4_210x297mm" is 9, a "custom_…" size or a size without a number is
// 256), with the size in tenths of a millimetre; nullopt for a name that names no size, or a size the record
// cannot hold (above 6553.5 mm).
struct Paper {
    std::uint16_t number = 0;
    std::uint16_t width = 0;
    std::uint16_t length = 0;
};
std::optional<Paper> paperOfMedia(const QString& media);
// The paper of a size given in hundredths of a millimetre, as the record keeps it (to the nearest tenth); nullopt
// for a size it cannot hold.
std::optional<Paper> paperOfSize(double width, double length, std::uint16_t number);
// The name names a size (its PWG, legacy or PPD name), whether or not the record can hold it.
bool mediaNamesSize(const QString& media);
// The keyword of a media option that names its size: the option holds a size, and source or type keywords,
// separated by commas, in any order ("A4,Upper"); empty when none of them names a size.
QString sizeKeyword(const QString& mediaOption);
// The paper of a media option's size keyword; nullopt when it has none, or the record cannot hold it.
std::optional<Paper> paperOfMediaOption(const QString& option);

// Sizes within a point of each other are one size: CUPS applies a user size, and Qt keeps one, in whole points.
bool withinAPoint(int hundredthsMm, int otherHundredthsMm);

// The media option with its size replaced and its source or type keywords kept; namesSize tells the size.
QString withSize(const QString& mediaOption, const QString& size, const std::function<bool(const QString&)>& namesSize);

// CUPS's filters take the `landscape` option over orientation-requested: true for landscape, false for portrait
// (its values no, off and false); nullopt when the options do not hold it.
std::optional<bool> landscapeOption(const cups_dest_t* dest);

// A queue's PPD file as the scheduler serves it (a class serves its first member's). CUPS applies the options of
// a queue with a PPD through it: a size by any of its names in any case, the PPD's own names ("w288h432"), and
// the PPD spellings over the IPP ones.
class Ppd {
public:
    // Null for a queue without one (a raw queue) or when it cannot be read.
    static std::unique_ptr<Ppd> of(http_t* http, const QString& queue);
    ~Ppd();
    Ppd(const Ppd&) = delete;
    Ppd& operator=(const Ppd&) = delete;

    // The paper and sides CUPS applies for a queue's options over the PPD's defaults; the sides are nullopt for a
    // PPD without duplex.
    struct Applied {
        std::optional<Paper> paper;
        std::optional<QString> sides;
    };
    Applied applied(const cups_dest_t* dest);
    bool namesSize(const QString& keyword) const;

private:
    explicit Ppd(ppd_file_t* file);

    ppd_file_t* m_file;
};

} // namespace printer
