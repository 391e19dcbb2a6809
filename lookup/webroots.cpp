#include "lookup/webroots.h"

#include <array>

namespace {

constexpr int kSites = 5;

const char* builtIn(WebSite site) {
    switch (site) {
    case WebSite::EShop:
        return "http://www.dvd-eshop.example/";
    case WebSite::Support:
        return "http://www.zorv-software.example/";
    case WebSite::Cover:
        return "http://www.dvd-covers.example/";
    case WebSite::FilmDb:
        return "http://www.filmova-databaze.example";
    case WebSite::Imdb:
        return "http://www.imdb.example";
    }
    return "";
}

bool endsWithSlash(WebSite site) {
    return site == WebSite::EShop || site == WebSite::Support || site == WebSite::Cover;
}

std::array<QString, kSites>& overrides() {
    static std::array<QString, kSites> roots;
    return roots;
}

} // namespace

QString WebRoot(WebSite site) {
    const QString& o = overrides()[int(site)];
    return o.isEmpty() ? QString::fromLatin1(builtIn(site)) : o;
}

void SetWebRoot(WebSite site, const QString& root) {
    overrides()[int(site)] = root;
}

void SetWebRootsBase(const QString& base) {
    for (int i = 0; i < kSites; ++i) {
        const auto site = WebSite(i);
        overrides()[i] = base.isEmpty() ? QString() : base + (endsWithSlash(site) ? "/" : "");
    }
}

QString EShopRoot() {
    return WebRoot(WebSite::EShop);
}
QString SupportRoot() {
    return WebRoot(WebSite::Support);
}
QString CoverRoot() {
    return WebRoot(WebSite::Cover);
}
QString FilmDbRoot() {
    return WebRoot(WebSite::FilmDb);
}
QString ImdbRoot() {
    return WebRoot(WebSite::Imdb);
}
