#pragma once
// The web sites the look-ups talk to. Tests point them at a loopback server.
#include <QString>

enum class WebSite {
    EShop,   // the DVD e-shop: product pages and preview pictures
    Support, // the maker's support site: version file and upgrade
    Cover,   // the cover site: cover search and cover pictures
    FilmDb,  // the film database: search, film pages, posters
    Imdb,    // the IMDb-style title pages linked from the film database
};

// Roots with a closing "/": the address of the host followed by "/".
QString EShopRoot();   // "http://www.dvd-eshop.example/"
QString SupportRoot(); // "http://www.zorv-software.example/"
QString CoverRoot();   // "http://www.dvd-covers.example/"
// Roots without a closing "/".
QString FilmDbRoot(); // "http://www.filmova-databaze.example"
QString ImdbRoot();   // "http://www.imdb.example"

QString WebRoot(WebSite site);
// Test seam: replace one root ("" restores the built-in one).
void SetWebRoot(WebSite site, const QString& root);
// Test seam: every root at `base` ("http://127.0.0.1:port", no closing "/"),
// each with its own closing "/" or none; "" restores the built-in roots.
void SetWebRootsBase(const QString& base);
