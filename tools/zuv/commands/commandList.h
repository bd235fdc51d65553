// One line per subcommand, in the order `zuv --help` lists them.
// No include guard: commands.h includes this list twice.
ZUV_COMMAND(Describe)
ZUV_COMMAND(Config)
ZUV_COMMAND(Sim)
