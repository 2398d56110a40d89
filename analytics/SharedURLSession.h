#pragma once

class QNetworkAccessManager;

// The client's own network access, which every configuration uses unless its host gives
// another: one QNetworkAccessManager on a thread of its own, made on first use and ended with
// the application object (null from then on).
QNetworkAccessManager* sharedURLSession();
