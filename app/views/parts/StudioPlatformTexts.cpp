#include "app/views/parts/StudioPlatformTexts.h"

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_MACOS
constexpr bool desktopIsMac = true;
#else
constexpr bool desktopIsMac = false;
#endif

StudioPlatformTexts::Text pick(StudioPlatformTexts::Text mac, StudioPlatformTexts::Text elsewhere)
{
    return desktopIsMac ? std::move(mac) : std::move(elsewhere);
}

} // namespace

namespace StudioPlatformTexts {

Text revealInFileManager()
{
    return pick(
        {u"Reveal in Finder"_s, u"Finder'da Göster"_s}, {u"Show in File Manager"_s, u"Dosya Yöneticisinde Göster"_s});
}

Text watchTrashToggle()
{
    return pick(
        {u"Watch ~/.Trash for deleted .app leftovers"_s, u"Silinen .app artıkları için ~/.Trash klasörünü izle"_s},
        {u"Watch the Trash for deleted .app leftovers"_s, u"Silinen .app artıkları için Çöp Sepetini izle"_s});
}

Text restoreFromTrashFooter()
{
    return pick({u"Safe Trash mode — files can be restored from macOS Trash."_s,
                    u"Güvenli Çöp Sepeti modu — dosyalar istendiğinde geri alınabilir."_s},
        {u"Safe Trash mode — files can be restored from the Trash."_s,
            u"Güvenli Çöp Sepeti modu — dosyalar istendiğinde geri alınabilir."_s});
}

Text moveToTrashConfirmation()
{
    return pick({u"TruneUpdate never runs permanent deletion (rm -rf). Selected items (%1) will be safely moved to "
                 u"macOS Trash."_s,
                    u"TruneUpdate asla kalıcı silme (rm -rf) yapmaz. Seçili öğeler (%1) güvenle macOS Çöp Sepetine "
                    u"taşınacaktır."_s},
        {u"TruneUpdate never runs permanent deletion (rm -rf). Selected items (%1) will be safely moved to the "
         u"Trash."_s,
            u"TruneUpdate asla kalıcı silme (rm -rf) yapmaz. Seçili öğeler (%1) güvenle Çöp Sepetine taşınacaktır."_s});
}

Text installHomebrewDescription()
{
    return pick({u"Install Homebrew to browse Casks & Formulae, upgrade CLI tools, and run cleanups directly from "
                 u"TruneUpdate."_s,
                    u"Cask ve Formula paketlerini yönetmek, tek tıkla yükseltmek ve temizlik yapmak için Mac'inize "
                    u"Homebrew kurun."_s},
        {u"Install Homebrew to browse Casks & Formulae, upgrade CLI tools, and run cleanups directly from "
         u"TruneUpdate."_s,
            u"Cask ve Formula paketlerini yönetmek, tek tıkla yükseltmek ve temizlik yapmak için bilgisayarınıza "
            u"Homebrew kurun."_s});
}

} // namespace StudioPlatformTexts
