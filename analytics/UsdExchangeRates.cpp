#include "UsdExchangeRates.h"

const QList<std::pair<QString, double>>& usdExchangeRateRows()
{
    static const QList<std::pair<QString, double>> rows = [] {
        const std::pair<const char*, double> table[] = {
            {"AED", 3.6725}, {"AFN", 73.5}, {"ALL", 94.5}, {"AMD", 398.0},
            {"ANG", 1.79}, {"AOA", 918.0}, {"ARS", 1055.0}, {"AUD", 1.5742},
            {"AWG", 1.79}, {"AZN", 1.7}, {"BAM", 1.8645}, {"BBD", 2.0},
            {"BDT", 121.5}, {"BGN", 1.8645}, {"BHD", 0.376}, {"BIF", 2960.0},
            {"BMD", 1.0}, {"BND", 1.35}, {"BOB", 6.92}, {"BRL", 5.78},
            {"BSD", 1.0}, {"BTN", 86.7955}, {"BWP", 13.85}, {"BYN", 3.27},
            {"BZD", 2.0}, {"CAD", 1.4182}, {"CDF", 2850.0}, {"CHF", 0.8997},
            {"CLP", 955.0}, {"CNY", 7.2626}, {"COP", 4150.0}, {"CRC", 505.0},
            {"CUP", 24.0}, {"CVE", 105.1}, {"CZK", 24.05}, {"DJF", 177.72},
            {"DKK", 7.11}, {"DOP", 61.9}, {"DZD", 135.0}, {"EGP", 50.6},
            {"ERN", 15.0}, {"ETB", 126.5}, {"EUR", 0.9533}, {"FJD", 2.31},
            {"FKP", 0.7948}, {"FOK", 7.11}, {"GBP", 0.7948}, {"GEL", 2.82},
            {"GGP", 0.7948}, {"GHS", 15.45}, {"GIP", 0.7948}, {"GMD", 72.5},
            {"GNF", 8620.0}, {"GTQ", 7.72}, {"GYD", 209.0}, {"HKD", 7.78},
            {"HNL", 25.5}, {"HRK", 7.18}, {"HTG", 130.8}, {"HUF", 392.0},
            {"IDR", 16300.0}, {"ILS", 3.56}, {"IMP", 0.7948}, {"INR", 86.7955},
            {"IQD", 1310.0}, {"IRR", 42000.0}, {"ISK", 140.5}, {"JEP", 0.7948},
            {"JMD", 157.5}, {"JOD", 0.709}, {"JPY", 152.3479}, {"KES", 129.2},
            {"KGS", 87.4}, {"KHR", 4010.0}, {"KID", 1.5742}, {"KMF", 469.0},
            {"KRW", 1450.0}, {"KWD", 0.3085}, {"KYD", 0.8333}, {"KZT", 518.0},
            {"LAK", 21900.0}, {"LBP", 89500.0}, {"LKR", 298.0}, {"LRD", 199.0},
            {"LSL", 18.4}, {"LYD", 4.92}, {"MAD", 10.0}, {"MDL", 18.7},
            {"MGA", 4700.0}, {"MKD", 58.7}, {"MMK", 2100.0}, {"MNT", 3450.0},
            {"MOP", 8.01}, {"MRU", 39.9}, {"MUR", 46.6}, {"MVR", 15.42},
            {"MWK", 1740.0}, {"MXN", 20.45}, {"MYR", 4.45}, {"MZN", 63.9},
            {"NAD", 18.4}, {"NGN", 1500.0}, {"NIO", 36.8}, {"NOK", 11.25},
            {"NPR", 138.9}, {"NZD", 1.76}, {"OMR", 0.3845}, {"PAB", 1.0},
            {"PEN", 3.71}, {"PGK", 4.05}, {"PHP", 58.0}, {"PKR", 279.0},
            {"PLN", 4.02}, {"PYG", 7880.0}, {"QAR", 3.64}, {"RON", 4.75},
            {"RSD", 111.7}, {"RUB", 97.5}, {"RWF", 1400.0}, {"SAR", 3.75},
            {"SBD", 8.45}, {"SCR", 14.3}, {"SDG", 510.0}, {"SEK", 10.85},
            {"SGD", 1.35}, {"SHP", 0.7948}, {"SLE", 22.8}, {"SLL", 22800.0},
            {"SOS", 571.0}, {"SRD", 35.1}, {"SSP", 4300.0}, {"STN", 23.36},
            {"SYP", 12900.0}, {"SZL", 18.4}, {"THB", 33.9}, {"TJS", 10.9},
            {"TMT", 3.5}, {"TND", 3.19}, {"TOP", 2.38}, {"TRY", 35.9},
            {"TTD", 6.78}, {"TVD", 1.5742}, {"TWD", 32.8}, {"TZS", 2530.0},
            {"UAH", 41.6}, {"UGX", 3680.0}, {"UYU", 43.6}, {"UZS", 12950.0},
            {"VES", 62.0}, {"VND", 25400.0}, {"VUV", 121.0}, {"WST", 2.8},
            {"XAF", 625.3}, {"XCD", 2.7}, {"XDR", 0.765}, {"XOF", 625.3},
            {"XPF", 113.8}, {"YER", 248.0}, {"ZAR", 18.4}, {"ZMW", 28.0},
            {"ZWL", 26.8},
        };
        QList<std::pair<QString, double>> list;
        list.reserve(std::size(table));
        for (const auto& [code, rate] : table)
            list.append({QString::fromLatin1(code), rate});
        return list;
    }();
    return rows;
}

const QHash<QString, double>& usdExchangeRates()
{
    static const QHash<QString, double> rates = [] {
        QHash<QString, double> byCode;
        byCode.reserve(usdExchangeRateRows().size());
        for (const auto& [code, rate] : usdExchangeRateRows())
            byCode.insert(code, rate);
        return byCode;
    }();
    return rates;
}
