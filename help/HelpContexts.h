/* Help contexts of Quodo: the numbers the program passes to HTML Help, one topic each. */
#define IDH_HOOFDVENSTER 1000
#define IDH_UPDATE 32150
#define IDH_INFORMATIE 50000
#define IDH_AUTEUR 50100
