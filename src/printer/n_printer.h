#pragma once

// Printer utility: the local printers, a printer's driver, port, status, attributes, default paper and
// orientation, the default printer, and the print and page-setup dialogs. Every failure shows only in the
// return value (1 done; -1, 0 or the empty text failed); nothing is shown to the user.

#include "printer/platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

class QWidget;

namespace printer {

class n_printer {
public:
    // Printer enumeration.
    static constexpr std::uint32_t printer_enum_local = 0x2;

    // Device-mode field flags.
    static constexpr std::uint32_t dm_orientation = 0x1;
    static constexpr std::uint32_t dm_papersize = 0x2;
    static constexpr std::uint32_t dm_paperlength = 0x4;
    static constexpr std::uint32_t dm_paperwidth = 0x8;
    static constexpr std::uint32_t dm_scale = 0x10;
    static constexpr std::uint32_t dm_copies = 0x100;
    static constexpr std::uint32_t dm_defaultsource = 0x200;
    static constexpr std::uint32_t dm_printquality = 0x400;
    static constexpr std::uint32_t dm_color = 0x800;
    static constexpr std::uint32_t dm_duplex = 0x1000;
    static constexpr std::uint32_t dm_yresolution = 0x2000;
    static constexpr std::uint32_t dm_ttoption = 0x4000;
    static constexpr std::uint32_t dm_collate = 0x8000;
    static constexpr std::uint32_t dm_formname = 0x10000;
    static constexpr std::uint32_t dm_logpixels = 0x20000;
    static constexpr std::uint32_t dm_bitsperpel = 0x40000;
    static constexpr std::uint32_t dm_pelswidth = 0x80000;
    static constexpr std::uint32_t dm_pelsheight = 0x100000;
    static constexpr std::uint32_t dm_displayflags = 0x200000;
    static constexpr std::uint32_t dm_displayfrequency = 0x400000;
    static constexpr std::uint32_t dm_icmmethod = 0x800000;
    static constexpr std::uint32_t dm_icmintent = 0x1000000;
    static constexpr std::uint32_t dm_mediatype = 0x2000000;
    static constexpr std::uint32_t dm_dithertype = 0x4000000;
    static constexpr std::uint32_t dm_panningwidth = 0x8000000;
    static constexpr std::uint32_t dm_panningheight = 0x10000000;

    // Orientations.
    static constexpr std::uint32_t dmorient_portrait = 1;
    static constexpr std::uint32_t dmorient_landscape = 2;

    // Printer attributes.
    static constexpr std::uint32_t printer_attribute_queued = 0x1;
    static constexpr std::uint32_t printer_attribute_direct = 0x2;
    static constexpr std::uint32_t printer_attribute_default = 0x4;
    static constexpr std::uint32_t printer_attribute_shared = 0x8;
    static constexpr std::uint32_t printer_attribute_network = 0x10;
    static constexpr std::uint32_t printer_attribute_hidden = 0x20;
    static constexpr std::uint32_t printer_attribute_local = 0x40;
    static constexpr std::uint32_t printer_attribute_enable_devq = 0x80;
    static constexpr std::uint32_t printer_attribute_keepprintedjobs = 0x100;
    static constexpr std::uint32_t printer_attribute_do_complete_first = 0x200;
    static constexpr std::uint32_t printer_attribute_work_offline = 0x400;
    static constexpr std::uint32_t printer_attribute_enable_bidi = 0x800;
    static constexpr std::uint32_t printer_attribute_raw_only = 0x1000;

    // Document-properties modes.
    static constexpr std::uint32_t dm_in_buffer = 8;
    static constexpr std::uint32_t dm_in_prompt = 4;
    static constexpr std::uint32_t dm_out_buffer = 2;
    static constexpr std::uint32_t dm_out_default = 1;

    // Device capabilities.
    static constexpr std::uint32_t dc_papers = 2;

    // Paper numbers.
    static constexpr std::uint16_t dmpaper_letter = 1;
    static constexpr std::uint16_t dmpaper_lettersmall = 2;
    static constexpr std::uint16_t dmpaper_tabloid = 3;
    static constexpr std::uint16_t dmpaper_ledger = 4;
    static constexpr std::uint16_t dmpaper_legal = 5;
    static constexpr std::uint16_t dmpaper_statement = 6;
    static constexpr std::uint16_t dmpaper_executive = 7;
    static constexpr std::uint16_t dmpaper_a3 = 8;
    static constexpr std::uint16_t dmpaper_a4 = 9;
    static constexpr std::uint16_t dmpaper_a4small = 10;
    static constexpr std::uint16_t dmpaper_a5 = 11;
    static constexpr std::uint16_t dmpaper_b4 = 12;
    static constexpr std::uint16_t dmpaper_b5 = 13;
    static constexpr std::uint16_t dmpaper_folio = 14;
    static constexpr std::uint16_t dmpaper_quarto = 15;
    static constexpr std::uint16_t dmpaper_10x14 = 16;
    static constexpr std::uint16_t dmpaper_11x17 = 17;
    static constexpr std::uint16_t dmpaper_note = 18;
    static constexpr std::uint16_t dmpaper_env_9 = 19;
    static constexpr std::uint16_t dmpaper_env_10 = 20;
    static constexpr std::uint16_t dmpaper_env_11 = 21;
    static constexpr std::uint16_t dmpaper_env_12 = 22;
    static constexpr std::uint16_t dmpaper_env_14 = 23;
    static constexpr std::uint16_t dmpaper_csheet = 24;
    static constexpr std::uint16_t dmpaper_dsheet = 25;
    static constexpr std::uint16_t dmpaper_esheet = 26;
    static constexpr std::uint16_t dmpaper_env_dl = 27;
    static constexpr std::uint16_t dmpaper_env_c5 = 28;
    static constexpr std::uint16_t dmpaper_env_c3 = 29;
    static constexpr std::uint16_t dmpaper_env_c4 = 30;
    static constexpr std::uint16_t dmpaper_env_c6 = 31;
    static constexpr std::uint16_t dmpaper_env_c65 = 32;
    static constexpr std::uint16_t dmpaper_env_b4 = 33;
    static constexpr std::uint16_t dmpaper_env_b5 = 34;
    static constexpr std::uint16_t dmpaper_env_b6 = 35;
    static constexpr std::uint16_t dmpaper_env_italy = 36;
    static constexpr std::uint16_t dmpaper_env_monarch = 37;
    static constexpr std::uint16_t dmpaper_env_personal = 38;
    static constexpr std::uint16_t dmpaper_fanfold_us = 39;
    static constexpr std::uint16_t dmpaper_fanfold_std_german = 40;
    static constexpr std::uint16_t dmpaper_fanfold_lgl_german = 41;
    static constexpr std::uint16_t dmpaper_iso_b4 = 42;
    static constexpr std::uint16_t dmpaper_japanese_postcard = 43;
    static constexpr std::uint16_t dmpaper_9x11 = 44;
    static constexpr std::uint16_t dmpaper_10x11 = 45;
    static constexpr std::uint16_t dmpaper_15x11 = 46;
    static constexpr std::uint16_t dmpaper_env_invite = 47;
    static constexpr std::uint16_t dmpaper_reserved_48 = 48;
    static constexpr std::uint16_t dmpaper_reserved_49 = 49;
    static constexpr std::uint16_t dmpaper_letter_extra = 50;
    static constexpr std::uint16_t dmpaper_legal_extra = 51;
    static constexpr std::uint16_t dmpaper_tabloid_extra = 52;
    static constexpr std::uint16_t dmpaper_a4_extra = 53;
    static constexpr std::uint16_t dmpaper_letter_transverse = 54;
    static constexpr std::uint16_t dmpaper_a4_transverse = 55;
    static constexpr std::uint16_t dmpaper_letter_extra_transverse = 56;
    static constexpr std::uint16_t dmpaper_a_plus = 57;
    static constexpr std::uint16_t dmpaper_b_plus = 58;
    static constexpr std::uint16_t dmpaper_letter_plus = 59;
    static constexpr std::uint16_t dmpaper_a4_plus = 60;
    static constexpr std::uint16_t dmpaper_a5_transverse = 61;
    static constexpr std::uint16_t dmpaper_b5_transverse = 62;
    static constexpr std::uint16_t dmpaper_a3_extra = 63;
    static constexpr std::uint16_t dmpaper_a5_extra = 64;
    static constexpr std::uint16_t dmpaper_b5_extra = 65;
    static constexpr std::uint16_t dmpaper_a2 = 66;
    static constexpr std::uint16_t dmpaper_a3_transverse = 67;
    static constexpr std::uint16_t dmpaper_a3_extra_transverse = 68;
    static constexpr std::uint16_t dmpaper_user = 256;

    // Print and page-setup dialog flags.
    static constexpr std::uint32_t pd_noselection = 0x4;
    static constexpr std::uint32_t pd_nopagenums = 0x8;
    static constexpr std::uint32_t pd_printtofile = 0x20;
    static constexpr std::uint32_t pd_disableprinttofile = 0x80000;
    static constexpr std::uint32_t psd_inthousandthsofinches = 0x4;
    static constexpr std::uint32_t psd_inhundredthsofmillimeters = 0x8;

    // Failure value of the dialogs when the user chose OK but the choice could not be applied.
    static constexpr int dialog_not_applied = 0;

    explicit n_printer(Platform& platform = systemPlatform());

    int of_getprinterlist(QStringList& printerlist);
    int of_direct(const QString& printername, const QString& data);
    QString of_getstringfromblob(const QByteArray& source, int offset) const;

    int of_printer(const QString& printername, int command, QVariant& outpara, int& papersize,
                   int& paperwidth, int& paperlength);

    QString of_getdrivername(const QString& printername);
    QString of_getportname(const QString& printername);
    qint64 of_getattribute(const QString& printername);
    qint32 of_getstatus(const QString& printername);
    int of_getpapersize(const QString& printername, int& papersize, int& paperwidth, int& paperheight);
    int of_setpapersize(const QString& printername, int papersize, int paperwidth, int paperheight);
    // 0 when LPDEST or PRINTER names another printer (or, set but empty, none): the user's programs keep that,
    // so nothing is changed.
    int of_setdefault(const QString& printername);
    QString of_getpbprinter();

    int of_printsetup(QWidget* hwnd);
    int of_pagesetup(QWidget* hwnd, qint32& left, qint32& right, qint32& top, qint32& bottom);

private:
    int of_modifyprinter(const QString& printername, DevMode devmode);
    int applyDialogChoice(const std::optional<DevMode>& devMode, const std::optional<QByteArray>& devNames);

    Platform& m_platform;
};

} // namespace printer
