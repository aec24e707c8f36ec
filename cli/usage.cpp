#include "cli/usage.h"

#include <norvane_config.h>

std::string UsageText()
{
    return "Utilisation :\n"
           "  norvane-cli lookup [--whois-only | --dns-only] [--rdap] [-o FICHIER [--encoding utf-8]]\n"
           "                     [--keep-accents] [--data-dir DOSSIER] NOM\n"
           "  norvane-cli rdap [--json] [--data-dir DOSSIER] NOM | ADRESSE | [AS]NUMÉRO\n"
           "  norvane-cli whois --server HÔTE [--port N] [--keep-accents] NOM\n"
           "  norvane-cli dns [--server ADRESSE] [--port N] [--type TYPE] [--timeout MS] NOM\n"
           "  norvane-cli resolve-ip [--rdap [--data-dir DOSSIER]] ADRESSE\n"
           "  norvane-cli update [--data-dir DOSSIER]\n"
           "  norvane-cli --help | --version\n";
}

std::string HelpText()
{
    return "norvane-cli : les recherches de Norvane sans la fenêtre.\n"
           "\n" +
           UsageText() +
           "\n"
           "lookup      Ce que fait « Lancer » : recherche Whois et recherche DNS du nom\n"
           "            (--whois-only ou --dns-only pour une seule des deux). Écrit les\n"
           "            résultats comme « Enregistrer sous », en UTF-8 sur la sortie standard,\n"
           "            ou tels quels dans FICHIER avec -o (Windows-1252, CR LF ; UTF-8 avec LF\n"
           "            avec --encoding utf-8). Sur la sortie standard, les caractères de\n"
           "            contrôle autres que CR, LF et TAB sont écrits échappés (\\x1b).\n"
           "            Les étapes s'affichent sur la sortie d'erreur si c'est un terminal.\n"
           "              norvane-cli lookup example.org\n"
           "              norvane-cli lookup --dns-only -o example_org.txt example.org\n"
           "            Sans réponse du serveur Whois, l'extension étant dans rdap.json,\n"
           "            la recherche Whois passe par RDAP (HTTPS) ; --rdap l'y fait passer\n"
           "            d'abord.\n"
           "rdap        Demande le nom au serveur RDAP de son extension (rdap.json) et\n"
           "            écrit la réponse comme la page Whois ; --json l'écrit telle quelle.\n"
           "            Pour une adresse IPv4 ou IPv6, ou un numéro d'AS (AS13335 ou\n"
           "            13335), le registre régional du bloc qui la contient (ipv4.json,\n"
           "            ipv6.json, asn.json) : plage, nom, titulaire, contact d'abus.\n"
           "            Une adresse à usage particulier (RFC 6890 : privée, boucle\n"
           "            locale, documentation...) n'est demandée à personne.\n"
           "              norvane-cli rdap example.org\n"
           "              norvane-cli rdap 2001:67c:2e8::1\n"
           "whois       Interroge le serveur Whois donné (port 43 par défaut), sans modèle.\n"
           "            Sa réponse perd ses accents (bit 7 effacé) ; avec --keep-accents\n"
           "            (lookup aussi), comme « Conserver les accents » dans la fenêtre,\n"
           "            elle les garde : lue en UTF-8 si elle en est, sinon en Windows-1252.\n"
           "              norvane-cli whois --server whois.example.net example.org\n"
           "dns         Un échange avec un serveur DNS (celui de l'ordinateur par défaut,\n"
           "            port 53, type ANY, délai 4000 ms), enregistrement par enregistrement.\n"
           "            TYPE : un nombre de 0 à 65535, ou l'un des noms A NS MD MF CNAME SOA\n"
           "            MB MG MR NULL WKS PTR HINFO MINFO MX TXT AXFR MAILB MAILA ANY.\n"
           "            Une réponse tronquée est redemandée en TCP ; l'en-tête finit alors\n"
           "            par TCP, ou par UDP si la réponse tronquée reste.\n"
           "            ADRESSE : IPv4 ou IPv6, entre crochets ou non ; entre crochets,\n"
           "            suivie ou non de :PORT ([::1]:5353).\n"
           "              norvane-cli dns --type MX example.org\n"
           "              norvane-cli dns --server [2001:db8::53] example.org\n"
           "resolve-ip  Ce que fait le « Résolveur d'IP » : le nom d'hôte d'une adresse IP\n"
           "            (IPv4 ou IPv6) ; avec --rdap, puis son enregistrement, comme rdap.\n"
           "              norvane-cli resolve-ip 127.0.0.1\n"
           "update      Mise à jour des bases de données whois.dat et dns.dat, puis\n"
           "            rdap.json, ipv4.json, ipv6.json et asn.json si le serveur les publie.\n"
           "              norvane-cli update\n"
           "\n"
           "Les fichiers whois.dat, dns.dat, rdap.json, ipv4.json, ipv6.json et asn.json\n"
           "sont lus dans le dossier du programme s'il contient whois.dat ; sinon\n"
           "(programme installé) dans ~/.local/share/norvane ($XDG_DATA_HOME/norvane),\n"
           "qui reçoit au premier lancement une copie de ceux de share/norvane (et la\n"
           "copie plus récente d'une mise à niveau). --data-dir DOSSIER les fait lire\n"
           "dans DOSSIER. Les certificats des serveurs RDAP sont vérifiés avec ceux du\n"
           "système, ou ceux du fichier nommé par SSL_CERT_FILE.\n"
           "\n"
           "Code de retour : 0 réussite ; 1 nom refusé ou échec ; 2 échec de la\n"
           "recherche Whois (lookup écrit tout de même l'arbre DNS) ; 3 échec d'une des\n"
           "vérifications de update (serveur injoignable, refus, réponse invalide) ;\n"
           "64 ligne de commande incorrecte ; 73 fichier de résultats impossible à créer.\n";
}

std::string VersionText() { return std::string("norvane-cli ") + NORVANE_VERSION + "\n"; }
